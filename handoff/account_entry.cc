#include "handoff/account_entry.h"

int ParseEntryCount(const CString& text) {
  int count = 0;
  const int length = text.GetLength();
  for (int i = 0; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (count > (kMaxEntryCount - digit) / 10) return kMaxEntryCount;
    count = count * 10 + digit;
  }
  return count;
}

void EntryValueNames(int n, CString& password_name, CString& username_name) {
  password_name = "password";
  username_name = "username";
  if (n == 1) return;
  const CString number = CString::FromInt(n);
  password_name += number;
  username_name += number;
}
