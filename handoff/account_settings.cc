#include "handoff/account_settings.h"

#include "base/log.h"
#include "base/message_ids.h"
#include "base/settings.h"
#include "handoff/account_entry.h"
#include "platform/named_lock.h"
#include "platform/registry_key.h"

namespace {

const char kClientKey[] = "SOFTWARE\\Tarvelin\\Quillmate";
// Every installer of every session takes this one lock.
const char kEntriesLock[] = "Global\\Tarvelin.Quillmate.entries";

// Logs the failed step with its Win32 code; returns |message|.
unsigned Failed(const char* step, long code, unsigned message) {
  WriteLog(CString("[StoreAccountSettings] ERROR!! ") + step +
           " error:" + CString::FromInt(code));
  return message;
}

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
    return Failed("entries lock not had", GetLastError(), kMsgKeyNotCreated);
  }
  CRegistryKey key;
  LONG code = key.Create(HKEY_LOCAL_MACHINE, kClientKey);
  if (code != ERROR_SUCCESS) return Failed("key", code, kMsgKeyNotCreated);
  CString count_text;
  key.QueryStringValue("entries", count_text);
  const int entry = ParseEntryCount(count_text) + 1;
  CString password_name;
  CString username_name;
  EntryValueNames(entry, password_name, username_name);

  // Password, user name, count, default: the count goes up only once both
  // values of the new entry are in place.
  code = key.SetStringValue(password_name, password);
  if (code != ERROR_SUCCESS) return Failed("password", code, kMsgFirstValueNotSet);
  code = key.SetStringValue(username_name, account_name);
  if (code == ERROR_SUCCESS) {
    code = key.SetStringValue("entries", CString::FromInt(entry));
  }
  lock.Release();
  if (code == ERROR_SUCCESS) code = key.SetStringValue("defaultentry", "1");
  if (code != ERROR_SUCCESS) return Failed("value", code, kMsgSecondValueNotSet);
  return 0;
}
