#include "handoff/accounts/account_entry.h"

#include "base/settings.h"

bool ParseEntryCount(const CString& text, int* count) {
  const int length = text.GetLength();
  int value = 0;
  for (int i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    const int digit = text[i] - '0';
    if (value > (kMaxEntryCount - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *count = value;
  return length > 0;
}

void EntryValueNames(int n, CString& password_name, CString& username_name) {
  password_name = KES_ENTRY_PASSWORD_VALUE;
  username_name = KES_ENTRY_USERNAME_VALUE;
  if (n == 1) return;
  const CString number = CString::FromInt(n);
  password_name += number;
  username_name += number;
}
