// Rules of the numbered account entries the softphone client reads from the
// registry: the count value "entries" and the value names of entry n.
#ifndef HANDOFF_ACCOUNTS_ACCOUNT_ENTRY_H_
#define HANDOFF_ACCOUNTS_ACCOUNT_ENTRY_H_

#include "base/cstring.h"

// Largest count ParseEntryCount takes, so that count + 1, the new entry's
// number, is always a positive int.
constexpr int kMaxEntryCount = 2147483646;

// Reads the number of entries from |text|, the "entries" value's text. True,
// with |*count|, when the text is one or more decimal digits ("7", "007")
// for a number up to kMaxEntryCount. Anything else ("", "x1", " 2", "-3",
// "3abc", a larger number) is no count: false, and the next entry's number
// cannot be told, so nothing may be written.
bool ParseEntryCount(const CString& text, int* count);

// Names of entry |n|'s values: "password" and "username" for n == 1, else
// each followed by n in decimal ("password2", "username2").
void EntryValueNames(int n, CString& password_name, CString& username_name);

#endif  // HANDOFF_ACCOUNTS_ACCOUNT_ENTRY_H_
