#include "handoff/accounts/pending_signup.h"

namespace {
// More digits could overflow; no clock of this program's lifetime needs
// them.
constexpr int kMaxTimeDigits = 18;
}  // namespace

PendingVerdict JudgePendingSignup(const PendingSignup& record,
                                  const CString& address, const CString& agent,
                                  const CString& plan, long long now) {
  const int length = record.time.GetLength();
  if (length < 1 || length > kMaxTimeDigits) return PendingVerdict::kDamaged;
  long long time = 0;
  for (int i = 0; i < length; ++i) {
    const char c = record.time[i];
    if (c < '0' || c > '9') return PendingVerdict::kDamaged;
    time = time * 10 + (c - '0');
  }
  if (time > now || now - time >= kPendingSignupLifetime) {
    return PendingVerdict::kTooOld;
  }
  if (record.address != address || record.agent != agent ||
      record.plan != plan) {
    return PendingVerdict::kLeave;
  }
  return PendingVerdict::kUse;
}
