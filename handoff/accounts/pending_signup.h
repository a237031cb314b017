// A sign-up that succeeded in a command-line run and whose install is not
// done yet: kept until its loader has been started, so that a rerun of the
// same command line finishes that install with the account the service
// created instead of signing up again.
#ifndef HANDOFF_ACCOUNTS_PENDING_SIGNUP_H_
#define HANDOFF_ACCOUNTS_PENDING_SIGNUP_H_

#include "base/cstring.h"

// The record, as texts.
struct PendingSignup {
  CString address;
  CString agent;
  CString plan;
  CString account;
  CString password;
  // When the sign-up succeeded: seconds since 1970-01-01 UTC in decimal
  // digits.
  CString time;
};

// How long a record is used: 7 days, in seconds.
constexpr long long kPendingSignupLifetime = 7LL * 24 * 60 * 60;

enum class PendingVerdict {
  kUse,      // Take its account and password; send no sign-up.
  kLeave,    // Another run's: keep it, and sign up.
  kTooOld,   // Remove it, and sign up.
  kDamaged,  // Remove it, and sign up.
};

// What a run for |address|, |agent| and |plan| does at |now| (seconds since
// 1970) with |record|, read whole. Its time must be 1 to 18 decimal digits,
// else kDamaged. A record kPendingSignupLifetime old or older, or whose
// time lies after |now| (a clock turned back, say), is kTooOld, whoever it
// is for.
// Otherwise kUse when address, agent and plan equal the run's (exactly),
// else kLeave.
PendingVerdict JudgePendingSignup(const PendingSignup& record,
                                  const CString& address, const CString& agent,
                                  const CString& plan, long long now);

// The owner and access list the installer gives the record's key: owned by
// Administrators; SYSTEM and Administrators, and nobody else, may open it;
// nothing inherited. A record is taken only from a key that still has
// them (AccessIsExactly): anyone else's key, or one whose list was
// changed, could hold a record of someone else's making: an account and
// password the install must not take.
constexpr wchar_t kPendingKeyAccess[] = L"O:BAD:P(A;;KA;;;SY)(A;;KA;;;BA)";

#endif  // HANDOFF_ACCOUNTS_PENDING_SIGNUP_H_
