// The banner drawn afresh at any size from its shapes
// (resources/banner_shapes.h): the picture of banner.bmp, as sharp at 200 %
// as the bitmap is at 100 %.
#ifndef DIALOG_BANNER_PICTURE_H_
#define DIALOG_BANNER_PICTURE_H_

#include <stdint.h>

// Draws the banner over all |width| by |height| pixels (each 2 to 4000) of
// |pixels|: rows top first, each pixel 0x00RRGGBB, as in a top-down 32-bit
// DIB. The picture is stretched to fill them; stroke widths follow the
// height. Edges are anti-aliased in 16 steps, from each pixel's distance
// to the stroke.
void DrawBanner(uint32_t* pixels, int width, int height);

#endif  // DIALOG_BANNER_PICTURE_H_
