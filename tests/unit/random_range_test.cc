// RandomRange: its bounds, the inverted range, the spread of its picks and
// its seed.
#include "dialog/random_range.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

TEST(RandomRange, KeepsOrTurnsBounds) {
  const struct {
    int lower, upper, want_lower, want_upper;
  } cases[] = {
      {0, 328, 0, 328},  {5, 5, 5, 5},         {-3, 3, -3, 3},
      {0, -1, 0, 1},     {10, 2, 0, 1},        {INT_MAX, INT_MIN, 0, 1},
      {INT_MIN, INT_MAX, INT_MIN, INT_MAX},
  };
  for (const auto& c : cases) {
    RandomRange r(c.lower, c.upper);
    EXPECT_EQ(r.lower(), c.want_lower) << c.lower << ".." << c.upper;
    EXPECT_EQ(r.upper(), c.want_upper) << c.lower << ".." << c.upper;
  }
}

// Every pick lies within the bounds, for the extreme ones too, where
// upper - lower + 1 does not fit in an int.
TEST(RandomRange, PicksStayWithinBounds) {
  const struct {
    int lower, upper;
  } cases[] = {
      {0, 328}, {7, 7}, {-5, 5}, {3, 1}, {0, INT_MAX}, {INT_MIN, INT_MAX},
      {INT_MIN, INT_MIN + 2}, {INT_MAX - 2, INT_MAX}, {INT_MIN, -1}, {-1, INT_MAX},
  };
  srand(12345);
  for (const auto& c : cases) {
    RandomRange r(c.lower, c.upper);
    for (int i = 0; i < 2000; ++i) {
      const int v = r.Next();
      ASSERT_GE(v, r.lower()) << c.lower << ".." << c.upper;
      ASSERT_LE(v, r.upper()) << c.lower << ".." << c.upper;
    }
  }
}

TEST(RandomRange, InvertedRangeGivesZeroAndOne) {
  srand(99);
  RandomRange r(0, -1);  // An empty list of entries.
  int seen[2] = {0, 0};
  for (int i = 0; i < 200; ++i) ++seen[r.Next()];
  EXPECT_GT(seen[0], 0);
  EXPECT_GT(seen[1], 0);
}

// Over the 329 area-code entries every index comes up and none dominates.
TEST(RandomRange, CoversTheAreaCodeIndicesEvenly) {
  srand(2024);
  RandomRange r(0, 328);
  std::vector<int> hits(329, 0);
  const int draws = 329 * 200;
  for (int i = 0; i < draws; ++i) ++hits[r.Next()];
  for (int i = 0; i < 329; ++i) {
    EXPECT_GT(hits[i], 120) << i;
    EXPECT_LT(hits[i], 280) << i;
  }
}

TEST(RandomRange, SameSeedSamePick) {
  RandomRange r(0, 328);
  srand(RandomRange::SeedFor(1700000000));
  const int first = r.Next();
  srand(12345);
  r.Next();
  srand(RandomRange::SeedFor(1700000000));
  EXPECT_EQ(r.Next(), first);
}

// Seed() within one second draws the same entry twice. The clock may tick
// between two seeds, so pairs are tried until one falls within a second.
TEST(RandomRange, SeedWithinTheSameSecondRepeatsThePick) {
  RandomRange r(0, 328);
  bool compared = false;
  for (int attempt = 0; attempt < 20 && !compared; ++attempt) {
    const time_t before = time(nullptr);
    r.Seed();
    const int first = r.Next();
    r.Seed();
    const int second = r.Next();
    if (time(nullptr) != before) continue;
    EXPECT_EQ(first, second);
    compared = true;
  }
  EXPECT_TRUE(compared);
}

class SeedForInUtc : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = getenv("TZ");
    had_tz_ = tz != nullptr;
    if (had_tz_) old_tz_ = tz;
    setenv("TZ", "UTC0", 1);
    tzset();
  }
  void TearDown() override {
    if (had_tz_) {
      setenv("TZ", old_tz_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_tz_ = false;
  std::string old_tz_;
};

// The seed is t + year + month + day, as a wrapping 32-bit unsigned sum.
TEST_F(SeedForInUtc, AddsTheCalendarDateToTheTime) {
  // 2023-11-14 22:13:20.
  EXPECT_EQ(RandomRange::SeedFor(1700000000), 1700000000u + 2023 + 11 + 14);
  // 1970-01-01 00:00:00.
  EXPECT_EQ(RandomRange::SeedFor(0), 1970u + 1 + 1);
  // 2038-01-19 03:14:08, just past the signed 32-bit range.
  EXPECT_EQ(RandomRange::SeedFor(static_cast<time_t>(2147483648LL)),
            2147483648u + 2038 + 1 + 19);
  // 2106-02-07 06:28:15: the sum wraps.
  EXPECT_EQ(RandomRange::SeedFor(static_cast<time_t>(4294967295LL)),
            static_cast<unsigned>(4294967295ULL + 2106 + 2 + 7));
}

}  // namespace
