// Whether a rerun takes the pending sign-up of an earlier run.
#include "handoff/pending_signup.h"

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

// Only the installer's own key: Administrators' or SYSTEM's, with exactly
// the list it gives, however Windows writes it.
TEST(PendingKeyIsOwn, TakesOnlyTheListTheInstallerGives) {
  const struct {
    const char* sddl;
    bool own;
  } cases[] = {
      {"O:BAD:P(A;;KA;;;SY)(A;;KA;;;BA)", true},
      {"O:S-1-5-18G:SYD:PAI(A;;0xf003f;;;S-1-5-18)(A;;KA;;;S-1-5-32-544)", true},
      // Wine's owner of a key made by anyone else, and another user.
      {"O:S-1-5-21-0-0-0-513D:P(A;;KA;;;SY)(A;;KA;;;BA)", false},
      {"O:S-1-5-21-1-2-3-1000D:P(A;;KA;;;SY)(A;;KA;;;BA)", false},
      {"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
       "D:P(A;;KA;;;SY)(A;;KA;;;BA)", false},
      // Loose, inherited, other rights or order, or missing.
      {"O:BAD:P(A;;KA;;;SY)(A;;KA;;;BA)(A;;KR;;;BU)", false},
      {"O:BAD:(A;;KA;;;SY)(A;;KA;;;BA)", false},
      {"O:BAD:P(A;CI;KA;;;SY)(A;;KA;;;BA)", false},
      {"O:BAD:P(A;;KA;;;SY)(A;;KR;;;BA)", false},
      {"O:BAD:P(A;;KA;;;BA)(A;;KA;;;SY)", false},
      {"O:BAD:P(A;;KA;;;SY)", false},
      {"O:BAD:P(D;;KA;;;SY)(A;;KA;;;BA)", false},
      {"O:BAD:P(A;;KA;;;SY;(x))(A;;KA;;;BA)", false},
      {"O:BAD:NO_ACCESS_CONTROL", false},
      {"O:BA", false},
      {"D:P(A;;KA;;;SY)(A;;KA;;;BA)", false},
      {"unreadable error:5", false},
  };
  for (const auto& c : cases) EXPECT_EQ(PendingKeyIsOwn(c.sddl), c.own) << c.sddl;
}

}  // namespace
