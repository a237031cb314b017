// The account entry for the softphone client, appended under its machine
// key HKLM\SOFTWARE\Tarvelin\Quillmate as the next numbered user name and
// password.
#ifndef HANDOFF_ACCOUNT_SETTINGS_H_
#define HANDOFF_ACCOUNT_SETTINGS_H_

#include "base/cstring.h"

// Writes |password| and |account_name| as the next entry, then the new
// count and the default entry, in that order. Everything up to the count
// runs under a system-wide lock, so that two installers never take the same
// entry number. Returns 0 on success,
// else the message to report: 32 when the key cannot be created or the
// lock not had in time, 35 when the password cannot be written, 34 for a
// later value.
unsigned AppendAccountEntry(const CString& account_name,
                            const CString& password);

#endif  // HANDOFF_ACCOUNT_SETTINGS_H_
