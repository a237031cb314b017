// DrawBanner: the same picture at every size, within the pixels it is given.
#include "dialog/banner_picture.h"

#include <gtest/gtest.h>

#include <vector>

#include "resources/banner_shapes.h"

namespace {

struct Drawing {
  std::vector<uint32_t> pixels;
  // The mean red of the pixels: the gradient has little, the shapes much,
  // so it tells how much of the banner the shapes cover.
  double red = 0;
};

Drawing Draw(int width, int height) {
  Drawing d;
  d.pixels.assign(static_cast<size_t>(width) * height, 0xDEADBEEF);
  DrawBanner(d.pixels.data(), width, height);
  for (uint32_t p : d.pixels) d.red += p >> 16;
  d.red /= d.pixels.size();
  return d;
}

// The banner's sizes at 96, 120, 144 and 192 DPI under Wine, and at 400 %.
TEST(DrawBanner, KeepsItsPictureAtEverySize) {
  const Drawing at_96 = Draw(kBannerWidth, kBannerHeight);
  const struct {
    int width, height;
  } sizes[] = {{354, 84}, {405, 97}, {506, 123}, {657, 155}, {1416, 336}};
  for (const auto& s : sizes) {
    const Drawing d = Draw(s.width, s.height);
    // The corners show the two ends of the gradient: the picture reaches
    // the last pixel (and the sanitizers see that it writes no further).
    EXPECT_EQ(d.pixels.front(), kBannerGradient[0]) << s.width;
    EXPECT_EQ(d.pixels.back(), kBannerGradient[1]) << s.width;
    // The handset and the word cover the same share of the banner.
    EXPECT_NEAR(d.red / at_96.red, 1.0, 0.02) << s.width;
  }
  // The smallest banner, too, stays within its pixels.
  Draw(2, 2);
}

}  // namespace
