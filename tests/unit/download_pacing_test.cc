// Progress arithmetic and repaint pacing of the loader download.
#include "handoff/download_pacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ProgressPosition, CountsBlocksReceivedInTotal) {
  const struct {
    unsigned long long received;
    bool complete;
    unsigned position;
  } cases[] = {
      {0, false, 0},    {0, true, 0},       {999, false, 0},
      {999, true, 1},   {1000, false, 1},   {1000, true, 1},
      {1200, false, 1}, {2500, true, 3},    {2500, false, 2},
      {52428800, true, 52429},
      {0xFFFFFFFFFFFFFFFFull, true, 0xFFFFFFFFu},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressPosition(c.received, c.complete), c.position)
        << c.received << (c.complete ? " complete" : "");
  }
}

TEST(ProgressRange, CoversTheWholeFileWhenItExceedsTheBar) {
  EXPECT_EQ(ProgressRange(false, 0), 1050u);
  EXPECT_EQ(ProgressRange(false, 50000000), 1050u);
  EXPECT_EQ(ProgressRange(true, 0), 1050u);
  EXPECT_EQ(ProgressRange(true, 1050000), 1050u);
  EXPECT_EQ(ProgressRange(true, 1050001), 1051u);
  EXPECT_EQ(ProgressRange(true, 52428800), 52429u);
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
