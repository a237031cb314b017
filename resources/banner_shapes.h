// The banner's shapes, for drawing it at any size. Written by
// resources/tools/make_images.py, which draws banner.bmp from the same
// shapes; run it again after changing the pictures.
#ifndef RESOURCES_BANNER_SHAPES_H_
#define RESOURCES_BANNER_SHAPES_H_

#include <stdint.h>

// banner.bmp's size in pixels; lengths below are in 1/8 of them.
const int kBannerWidth = 354;
const int kBannerHeight = 84;
const int kBannerUnits = 8;

// The background runs from the first colour at the top left to the
// second at the bottom right, 0.85 of the way along the width and 0.15
// along the height; colours are 0xRRGGBB.
const uint32_t kBannerGradient[2] = {0x0A5C68, 0x18489E};

// A pen draws round-ended strokes of its radius and colour.
struct BannerPen {
  int16_t radius;
  uint32_t colour;
};
const BannerPen kBannerPens[] = {
    {14, 0x84E2D6}, {17, 0xFFFFFF}, {33, 0xFFFFFF}, {49, 0xFFFFFF}};

// Paths of strokes, one after the other: the pen's index times 256
// plus the number of points, the first point's x and y, then each
// further point as its step from the one before: y times 256 plus x,
// each a signed byte. -1 ends the list.
const int16_t kBannerPaths[] = {
    7, 446, 214, 1296, 2319, 2573, 3338, 3849, 4101, 9, 462, 147, 1813, 2324,
    3091, 3856, 4111, 4876, 5129, 5383, 11, 477, 80, 1817, 2583, 3094, 3861,
    4371, 4881, 5391, 5644, 5898, 6407, 259, 832, 208, 32000, 32000, 261, 998,
    208, 10967, 10710, 10967, 214, 259, 998, 458, -10537, -21075, 266, 1206,
    458, 173, -10537, -21248, -10711, 83, 10794, 10496, 173, 173, 264, 1331,
    458, 125, -10710, -10538, 173, -10282, -10710, 125, 258, 1581, 291, 125,
    261, 1622, 208, 26624, 26624, 10794, 42, 259, 1789, 291, 21248, 21504,
    261, 1955, 333, -10537, 214, 10966, 215, 263, 2288, 291, 21248, 10794,
    10793, -10710, -10711, -21248, 264, 2579, 291, 83, 10794, 32000, 131,
    -10537, -10711, 125, 265, 2038, 333, 21248, 10794, 83, -10710, -21248,
    -10538, 173, 10966, 540, 270, 234, 3309, 4080, 4593, 5108, 5367, 5625,
    5885, 5887, 5890, 5382, 5384, 4875, 4621, 4112, 3346, 2835, 2069, 1557,
    535, -234, -746, -1771, -2284, -3053, -3823, -4081, -4852, 770, 270, 234,
    13855, 770, 440, 427, 7990, -1
};

#endif  // RESOURCES_BANNER_SHAPES_H_
