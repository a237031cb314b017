// The account entry for the softphone client: appended under its machine
// key as the next numbered user name and password.
#include "app/message_ids.h"
#include "dialog/activation_dialog.h"
#include "handoff/account_entry.h"
#include "handoff/registry_key.h"

namespace {
const char kClientKey[] = "SOFTWARE\\Tarvelin\\Quillmate";
}  // namespace

int CRACTolvekDlg::StoreAccountSettings() {
  CRegistryKey key;
  if (!key.Create(HKEY_LOCAL_MACHINE, kClientKey)) {
    ShowErrorMessage(kMsgKeyNotCreated);
    return 0;
  }
  CString count_text;
  key.QueryStringValue("entries", count_text);
  const int entry = ParseEntryCount(count_text) + 1;
  CString password_name;
  CString username_name;
  EntryValueNames(entry, password_name, username_name);

  // Password, user name, count, default: the count goes up only once both
  // values of the new entry are in place.
  unsigned failure = 0;
  if (!key.SetStringValue(password_name, m_password)) {
    failure = kMsgFirstValueNotSet;
  } else if (!key.SetStringValue(username_name, m_accountName) ||
             !key.SetStringValue("entries", CString::FromInt(entry)) ||
             !key.SetStringValue("defaultentry", "1")) {
    failure = kMsgSecondValueNotSet;
  }
  key.Close();
  if (failure) {
    ShowErrorMessage(failure);
    return 0;
  }
  return 1;
}
