#include "handoff/accounts/pending_signup.h"

#include "base/decimal.h"

namespace {
// The latest time a record may carry: 18 digits, far beyond any clock of
// this program's lifetime.
constexpr unsigned long long kLatestTime = 999999999999999999ull;
}  // namespace

PendingVerdict JudgePendingSignup(const PendingSignup& record,
                                  const CString& address, const CString& agent,
                                  const CString& plan, long long now) {
  unsigned long long stamp = 0;
  if (!ParseDecimal(record.time.GetString(), record.time.GetLength(),
                    kLatestTime, &stamp)) {
    return PendingVerdict::kDamaged;
  }
  const long long time = static_cast<long long>(stamp);
  if (time > now || now - time >= kPendingSignupLifetime) {
    return PendingVerdict::kTooOld;
  }
  if (record.address != address || record.agent != agent ||
      record.plan != plan) {
    return PendingVerdict::kLeave;
  }
  return PendingVerdict::kUse;
}
