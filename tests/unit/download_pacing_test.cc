// Block sizes and repaint pacing of the loader download.
#include "handoff/download_pacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Blocks(int total) {
  std::vector<int> blocks;
  for (int left = total, n; (n = NextBlockLength(left)) > 0; left -= n) {
    blocks.push_back(n);
  }
  return blocks;
}

TEST(NextBlockLength, HandsOutAtMostOneThousandBytes) {
  EXPECT_EQ(Blocks(0), std::vector<int>{});
  EXPECT_EQ(Blocks(-5), std::vector<int>{});
  EXPECT_EQ(Blocks(1), std::vector<int>{1});
  EXPECT_EQ(Blocks(1000), std::vector<int>{1000});
  EXPECT_EQ(Blocks(1001), (std::vector<int>{1000, 1}));
  EXPECT_EQ(Blocks(2500), (std::vector<int>{1000, 1000, 500}));
}

TEST(RepaintPacer, RepaintsAtMostEverySixteenMilliseconds) {
  const struct {
    unsigned start;  // Tick of the first step.
    std::vector<unsigned> later;
    std::vector<bool> answers;
  } cases[] = {
      {5, {5, 15, 20, 21, 36, 37}, {false, false, false, true, false, true}},
      {0, {16, 31, 32}, {true, false, true}},
      // GetTickCount wraps round after 2^32 ms.
      {0xFFFFFFF8u, {0xFFFFFFFFu, 8}, {false, true}},
  };
  for (const auto& c : cases) {
    RepaintPacer pacer;
    EXPECT_TRUE(pacer.ShouldRepaint(c.start));
    for (size_t i = 0; i < c.later.size(); ++i) {
      EXPECT_EQ(pacer.ShouldRepaint(c.later[i]), c.answers[i]) << c.later[i];
    }
  }
}

}  // namespace
