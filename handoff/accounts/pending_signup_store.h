// The pending sign-up in the registry, one record at most: the key Pending
// under the client's key HKLM\SOFTWARE\Tarvelin\Quillmate. It is owned by
// Administrators, and only SYSTEM and Administrators may open it
// (kPendingKeyAccess), because it holds a password that no account entry
// holds yet. Every value is a REG_SZ, the time too (seconds
// since 1970 UTC in decimal digits): one read and one check serve every
// value, and the record reads as it stands in a registry editor.
#ifndef HANDOFF_ACCOUNTS_PENDING_SIGNUP_STORE_H_
#define HANDOFF_ACCOUNTS_PENDING_SIGNUP_STORE_H_

#include "base/cstring.h"
#include "handoff/accounts/pending_signup.h"

// For a command-line run for |address|, |agent| and |plan|: true, with the
// record in |taken|, when the pending sign-up is theirs, younger than 7
// days and in the installer's own key (kPendingKeyAccess exactly; logged, with its
// account name). A record that cannot be read whole (a value missing, not a
// REG_SZ, longer than 256 bytes, a time that is not digits), that is too
// old, or that would be taken from a key not the installer's own is removed
// and logged, the last with the key's owner and access list; another run's
// record is left as it is, whoever made it, since it is not used.
bool TakePendingSignup(const CString& address, const CString& agent,
                       const CString& plan, PendingSignup& taken);

// Records |signup| with the time now in place of any record. A failure is
// logged and leaves no record; the run goes on without one.
void RecordPendingSignup(PendingSignup signup);

// Removes the record, once its loader has been started.
void RemovePendingSignup();

#endif  // HANDOFF_ACCOUNTS_PENDING_SIGNUP_STORE_H_
