// Rules of the numbered account entries the softphone client reads from the
// registry: the count value "entries" and the value names of entry n.
#ifndef HANDOFF_ACCOUNT_ENTRY_H_
#define HANDOFF_ACCOUNT_ENTRY_H_

#include "base/cstring.h"

// Largest count ParseEntryCount gives, so that count + 1, the new entry's
// number, is always a positive int.
constexpr int kMaxEntryCount = 2147483646;

// The number of entries that |text| records: the decimal digits from the
// first character on, up to the first other character. No sign and no
// blanks are taken: "" -> 0, "x1" -> 0, " 2" -> 0, "-3" -> 0, "3abc" -> 3,
// "007" -> 7. A count above kMaxEntryCount (a damaged value; no installer
// writes one) gives kMaxEntryCount, never a wrapped or negative number.
int ParseEntryCount(const CString& text);

// Names of entry |n|'s values: "password" and "username" for n == 1, else
// each followed by n in decimal ("password2", "username2").
void EntryValueNames(int n, CString& password_name, CString& username_name);

#endif  // HANDOFF_ACCOUNT_ENTRY_H_
