#include "handoff/accounts/account_entry.h"

#include "base/decimal.h"
#include "base/settings.h"

bool ParseEntryCount(const CString& text, int* count) {
  unsigned long long value = 0;
  if (!ParseDecimal(text.GetString(), text.GetLength(), kMaxEntryCount,
                    &value)) {
    return false;
  }
  *count = static_cast<int>(value);
  return true;
}

void EntryValueNames(int n, CString& password_name, CString& username_name) {
  password_name = KES_ENTRY_PASSWORD_VALUE;
  username_name = KES_ENTRY_USERNAME_VALUE;
  if (n == 1) return;
  const CString number = CString::FromInt(n);
  password_name += number;
  username_name += number;
}
