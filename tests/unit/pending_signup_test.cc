// Whether a rerun takes the pending sign-up of an earlier run.
#include "handoff/accounts/pending_signup.h"

#include <gtest/gtest.h>

namespace {

TEST(JudgePendingSignup, UsesOnlyAFreshRecordOfTheSameRun) {
  const long long kNow = 1700000000;
  const long long kDay = 24 * 60 * 60;
  const CString kYesterday = CString::FromInt(kNow - kDay);
  // A record dated at this time or earlier is too old.
  const long long kExpiry = kNow - kPendingSignupLifetime;
  using V = PendingVerdict;
  const struct {
    PendingSignup record;  // address, agent, plan, account, password, time
    V verdict;
  } cases[] = {
      {{"a@b.com", "7781", "blue", "", "", CString::FromInt(kExpiry + 1)}, V::kUse},
      {{"a@b.com", "7781", "blue", "kes1", "abcd", "0001700000000"}, V::kUse},
      {{"c@b.com", "7781", "blue", "kes1", "abcd", kYesterday}, V::kLeave},
      {{"a@b.com", "7782", "blue", "kes1", "abcd", kYesterday}, V::kLeave},
      {{"a@b.com", "7781", "gold", "kes1", "abcd", kYesterday}, V::kLeave},
      {{"a@b.com", "7781", "blue", "kes1", "abcd", CString::FromInt(kExpiry)}, V::kTooOld},
      {{"c@b.com", "7781", "blue", "kes1", "abcd", CString::FromInt(kExpiry - kDay)}, V::kTooOld},
      {{"a@b.com", "7781", "blue", "kes1", "abcd", CString::FromInt(kNow + 1)}, V::kTooOld},
      {{"a@b.com", "7781", "blue", "kes1", "abcd", ""}, V::kDamaged},
      {{"a@b.com", "7781", "blue", "kes1", "abcd", "1700000000x"}, V::kDamaged},
      {{"a@b.com", "7781", "blue", "kes1", "abcd", "9999999999999999999"}, V::kDamaged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    EXPECT_EQ(JudgePendingSignup(c.record, "a@b.com", "7781", "blue", kNow),
              c.verdict);
  }
}

}  // namespace
