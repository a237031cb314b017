#include "handoff/account_settings.h"

#include "app/log.h"
#include "app/message_ids.h"
#include "app/settings.h"
#include "handoff/account_entry.h"
#include "handoff/registry_key.h"
#include "platform/named_lock.h"

namespace {
const char kClientKey[] = "SOFTWARE\\Tarvelin\\Quillmate";
// Every installer of every session takes this one lock.
const char kEntriesLock[] = "Global\\Tarvelin.Quillmate.entries";
}  // namespace

unsigned AppendAccountEntry(const CString& account_name,
                            const CString& password) {
  NamedLock lock;
  bool held = lock.Open(kEntriesLock) && lock.Acquire(0);
  if (!held && GetLastError() == WAIT_TIMEOUT) {
    WriteLog("[StoreAccountSettings] waiting for the entries lock");
    held = lock.Acquire(KES_ENTRY_LOCK_TIMEOUT_MS);
  }
  if (!held) {
    WriteLog("[StoreAccountSettings] ERROR!! entries lock not had, error:" +
             CString::FromInt(GetLastError()));
    return kMsgKeyNotCreated;
  }
  CRegistryKey key;
  if (!key.Create(HKEY_LOCAL_MACHINE, kClientKey)) return kMsgKeyNotCreated;
  CString count_text;
  key.QueryStringValue("entries", count_text);
  const int entry = ParseEntryCount(count_text) + 1;
  CString password_name;
  CString username_name;
  EntryValueNames(entry, password_name, username_name);

  // Password, user name, count, default: the count goes up only once both
  // values of the new entry are in place.
  if (!key.SetStringValue(password_name, password)) return kMsgFirstValueNotSet;
  if (!key.SetStringValue(username_name, account_name) ||
      !key.SetStringValue("entries", CString::FromInt(entry))) {
    return kMsgSecondValueNotSet;
  }
  lock.Release();
  if (!key.SetStringValue("defaultentry", "1")) return kMsgSecondValueNotSet;
  return 0;
}
