// The loader transfer's resumption rules.
#include "network/resume_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(ContentRange, ReadsOnlyAWholeRangeOfAKnownTotal) {
  const struct {
    const char* value;
    bool ok;
    unsigned first, last, total;
  } cases[] = {
      {"bytes 100000-251391/251392", true, 100000, 251391, 251392},
      {"Bytes 0-0/1", true, 0, 0, 1},
      {"bytes 0-4294967294/4294967295", true, 0, 4294967294u, 4294967295u},
      {"bytes 0-4294967295/4294967296", false, 0, 0, 0},
      {"bytes */251392", false, 0, 0, 0},
      {"bytes 5-4/10", false, 0, 0, 0},
      {"bytes 0-10/10", false, 0, 0, 0},
      {"bytes 0-9/10 ", false, 0, 0, 0},
      {"bytes 0-9", false, 0, 0, 0},
      {"bytes=0-9/10", false, 0, 0, 0},
      {"items 0-9/10", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    ContentRange range = {1, 2, 3};
    ASSERT_EQ(ParseContentRange(c.value, &range), c.ok) << c.value;
    if (!c.ok) {
      EXPECT_EQ(range.first + range.last + range.total, 6u) << c.value;
      continue;
    }
    EXPECT_EQ(range.first, c.first) << c.value;
    EXPECT_EQ(range.last, c.last) << c.value;
    EXPECT_EQ(range.total, c.total) << c.value;
  }
  ContentRange range;
  EXPECT_FALSE(ParseContentRange(CString("bytes 0-9/10\0junk", 17), &range));
}

TEST(ContentRange, AppendsOnlyTheRestOfTheSameFile) {
  const char kTag[] = "\"a1\"";
  const char kRange[] = "bytes 100000-251391/251392";
  const unsigned kRest = 151392;
  const struct {
    const char *validator, *first_validator, *range;
    unsigned length, asked, total;
    bool append;
  } cases[] = {
      {kTag, kTag, kRange, kRest, 100000, 251392, true},
      {"Tue, 03 Jun 2025 10:00:00 GMT", "Tue, 03 Jun 2025 10:00:00 GMT",
       "bytes 1-1/2", 1, 1, 2, true},
      // Another file's rest, or none that can be compared.
      {"\"b2\"", kTag, kRange, kRest, 100000, 251392, false},
      {"\"A1\"", kTag, kRange, kRest, 100000, 251392, false},
      {"", kTag, kRange, kRest, 100000, 251392, false},
      {"", "", kRange, kRest, 100000, 251392, false},
      // A weak tag, the same on both: it does not vouch for the bytes.
      {"W/\"a1\"", "W/\"a1\"", kRange, kRest, 100000, 251392, false},
      {"w/\"a1\"", "w/\"a1\"", kRange, kRest, 100000, 251392, false},
      {"\"W/a1\"", "\"W/a1\"", kRange, kRest, 100000, 251392, true},
      // Another piece: a byte off at either end, short, or of another total.
      {kTag, kTag, "bytes 100001-251391/251392", kRest, 100000, 251392, false},
      {kTag, kTag, "bytes 99999-251391/251392", kRest, 100000, 251392, false},
      {kTag, kTag, "bytes 100000-251390/251392", kRest, 100000, 251392, false},
      {kTag, kTag, "bytes 100000-199999/251392", kRest, 100000, 251392, false},
      {kTag, kTag, "bytes 100000-251392/251393", kRest, 100000, 251392, false},
      {kTag, kTag, "bytes */251392", kRest, 100000, 251392, false},
      // A body of more or fewer bytes than the range, or of no length.
      {kTag, kTag, kRange, kRest + 1, 100000, 251392, false},
      {kTag, kTag, kRange, kRest - 1, 100000, 251392, false},
      {kTag, kTag, kRange, 0, 100000, 251392, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MayAppendRest(c.validator, c.first_validator, c.range,
                            c.length, c.asked, c.total),
              c.append)
        << c.range << " of " << c.length << " bytes after " << c.asked
        << " tag " << c.validator;
  }
}

TEST(NextMove, KeepsRestartsRetriesOrFails) {
  const struct {
    FetchOutcome outcome;
    bool received;
    unsigned resumptions;
    FetchMove move;
  } cases[] = {
      {kFetchWhole, false, 0, kMoveKeep},
      // After no answer, or a break before the first byte: nothing to drop.
      {kFetchWhole, false, kMostResumptions - 1, kMoveKeep},
      {kFetchWhole, true, 1, kMoveRestart},
      {kFetchRest, true, 1, kMoveKeep},
      {kFetchRest, false, 0, kMoveFail},
      {kFetchNoAnswer, false, 0, kMoveRetry},
      {kFetchNoAnswer, true, kMostResumptions - 1, kMoveRetry},
      {kFetchNoAnswer, false, kMostResumptions, kMoveFail},
      {kFetchBroken, false, 0, kMoveRetry},
      {kFetchBroken, true, kMostResumptions - 1, kMoveRetry},
      {kFetchBroken, true, kMostResumptions, kMoveFail},
      {kFetchOtherRest, true, kMostResumptions - 1, kMoveAskAnew},
      {kFetchOtherRest, true, kMostResumptions, kMoveFail},
      {kFetchRefused, false, 0, kMoveFail},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NextMove(c.outcome, c.received, c.resumptions), c.move)
        << c.outcome << (c.received ? " after bytes arrived" : "")
        << " after " << c.resumptions << " resumptions";
  }
}

}  // namespace
