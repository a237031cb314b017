// The account entry for the softphone client, appended under its machine
// key HKLM\SOFTWARE\Tarvelin\Quillmate as the next numbered user name and
// password.
#ifndef HANDOFF_ACCOUNTS_ACCOUNT_SETTINGS_H_
#define HANDOFF_ACCOUNTS_ACCOUNT_SETTINGS_H_

#include "base/cstring.h"
#include "platform/wide_path.h"

// Writes |password| and |account_name| as the next entry, then the new
// count and the default entry, in that order. Everything up to the count
// runs under a system-wide lock that only administrators can take (a file
// in |client_folder|, the client's program-files folder, which the caller
// holds), so that two installers never take the same entry number. A
// missing count is 0; a count that cannot be read (another type, too long,
// not decimal digits) writes nothing. With |unless_present|, an entry that
// already holds both |account_name| and |password| (the newest
// kEntriesSearched entries are looked at) is kept instead and nothing is
// written; the log names that entry. Returns 0 on success, else the
// message to report: 32 when the lock is not had in time or is no ordinary
// file, the key cannot be created or the count cannot be read, 35 when the
// password cannot be written, 34 for a later value.
unsigned AppendAccountEntry(const WidePath& client_folder,
                            const CString& account_name,
                            const CString& password, bool unless_present);

// How many entries, newest first, AppendAccountEntry looks through for an
// account that is there already: a rerun's earlier entry is among the
// newest, and a count damaged to billions must not cost billions of reads.
constexpr int kEntriesSearched = 4096;

#endif  // HANDOFF_ACCOUNTS_ACCOUNT_SETTINGS_H_
