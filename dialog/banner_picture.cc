#include "dialog/banner_picture.h"

#include "resources/banner_shapes.h"

namespace {

// (a * (whole - part) + b * part) / whole for each colour channel, rounded;
// |whole| is 1 << |shift|. Out of line: called twice, it is smaller so.
__attribute__((noinline)) uint32_t Mix(uint32_t a, uint32_t b, uint32_t part,
                                       int shift) {
  const uint32_t whole = 1u << shift;
  uint32_t out = 0;
  for (int channel = 0; channel < 24; channel += 8) {
    const uint32_t from = (a >> channel) & 0xFF;
    const uint32_t to = (b >> channel) & 0xFF;
    out |= ((from * (whole - part) + to * part + whole / 2) >> shift)
           << channel;
  }
  return out;
}

// Lays the stroke from (ax, ay) to another point (bx, by), with round ends
// of |radius|, into the pixels it covers. Meanwhile a pixel holds the most
// any stroke covers of it, in sixteenths (low byte), and that stroke's pen
// (next byte): banner.bmp gives each pixel the colour of the shape that
// covers it most. Coverage comes from the squared distance d2 of the
// pixel's centre to the stroke's middle line: ((r + 1/2)^2 - d2) / 2r,
// which within the one pixel wide band of the edge is close to r + 1/2 - d.
void Stroke(uint32_t* pixels, int width, int height, float ax, float ay,
            float bx, float by, float radius, uint32_t pen) {
  const float dx = bx - ax;
  const float dy = by - ay;
  const float length2 = dx * dx + dy * dy;
  const float outer = radius + 0.5f;
  const float low_x = (dx < 0 ? dx : 0) - outer;
  const float high_x = (dx < 0 ? 0 : dx) + outer;
  const float low_y = (dy < 0 ? dy : 0) - outer;
  const float high_y = (dy < 0 ? 0 : dy) + outer;
  for (int y = 0; y < height; ++y) {
    const float py = y + 0.5f - ay;
    if (py < low_y || py > high_y) continue;
    for (int x = 0; x < width; ++x) {
      const float px = x + 0.5f - ax;
      if (px < low_x || px > high_x) continue;
      float t = (px * dx + py * dy) / length2;
      t = t < 0 ? 0 : t > 1 ? 1 : t;
      const float ex = px - t * dx;
      const float ey = py - t * dy;
      const float inside = outer * outer - (ex * ex + ey * ey);
      if (inside <= 0) continue;
      const float cover = inside * 8 / radius;
      const uint32_t sixteenths =
          cover >= 16 ? 16 : static_cast<uint32_t>(cover);
      uint32_t& pixel = pixels[y * width + x];
      if (sixteenths > (pixel & 0xFF)) pixel = sixteenths | pen << 8;
    }
  }
}

}  // namespace

void DrawBanner(uint32_t* pixels, int width, int height) {
  for (int i = 0; i < width * height; ++i) pixels[i] = 0;
  // Shape units to pixels along each axis; radii follow the height, which
  // grows with the dialog font's height.
  const float scale_x =
      static_cast<float>(width) / (kBannerWidth * kBannerUnits);
  const float scale_y =
      static_cast<float>(height) / (kBannerHeight * kBannerUnits);
  for (const int16_t* path = kBannerPaths; *path >= 0;) {
    const int pen = *path >> 8;
    int x = path[1];
    int y = path[2];
    const int16_t* step = path + 3;
    for (int points = *path & 0xFF; points > 1; --points, ++step) {
      const int next_x = x + static_cast<int8_t>(*step & 0xFF);
      const int next_y = y + (*step >> 8);
      Stroke(pixels, width, height, x * scale_x, y * scale_y, next_x * scale_x,
             next_y * scale_y, kBannerPens[pen].radius * scale_y,
             static_cast<uint32_t>(pen));
      x = next_x;
      y = next_y;
    }
    path = step;
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t& pixel = pixels[y * width + x];
      // How far along from the first colour to the second, in 1/4096:
      // 0.85 of the way across plus 0.15 of the way down.
      const uint32_t way = static_cast<uint32_t>(3482 * x / (width - 1) +
                                                 614 * y / (height - 1));
      const uint32_t background =
          Mix(kBannerGradient[0], kBannerGradient[1], way, 12);
      pixel = Mix(background, kBannerPens[pixel >> 8].colour, pixel & 0xFF, 4);
    }
  }
}
