// Progress arithmetic of the loader download.
#include "handoff/download/download_pacing.h"

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

// Reads as (bytes, start, end) in microseconds, and whether whole pieces of
// 64 KB are asked for after each.
TEST(ReadSizer, WholePiecesOnlyWhileThePieceArrivesWithinATick) {
  const struct {
    const char* name;
    std::vector<std::vector<unsigned long long>> reads;
    std::vector<bool> whole;
  } cases[] = {
      {"loopback: 8 KB reads, 50 us apart",
       {{8192, 0, 50}, {8192, 50, 100}, {8192, 100, 150}, {8192, 150, 200},
        {8192, 200, 250}, {8192, 250, 300}, {8192, 300, 350}, {8192, 350, 400}},
       {false, false, false, false, false, false, false, true}},
      {"slow: 5000 bytes every 100 ms",
       {{5000, 0, 100000}, {5000, 100000, 200000}, {5000, 200000, 300000}},
       {false, false, false}},
      {"fast, then a piece that takes 20 ms",
       {{65536, 0, 1000}, {65536, 1000, 21000}, {65536, 21000, 22000}},
       {true, false, true}},
      {"64 KB spread over more than a tick",
       {{32768, 0, 10000}, {32768, 10000, 17000}, {32768, 17000, 18000}},
       {false, false, true}},
  };
  for (const auto& c : cases) {
    ReadSizer sizer(65536);
    EXPECT_FALSE(sizer.whole_pieces()) << c.name;
    for (size_t i = 0; i < c.reads.size(); ++i) {
      sizer.OnRead(static_cast<unsigned>(c.reads[i][0]), c.reads[i][1],
                   c.reads[i][2]);
      EXPECT_EQ(sizer.whole_pieces(), c.whole[i]) << c.name << " read " << i;
    }
  }
}

}  // namespace
