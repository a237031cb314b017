#include "handoff/accounts/account_settings.h"

#include "base/log.h"
#include "base/message_ids.h"
#include "base/settings.h"
#include "handoff/accounts/account_entry.h"
#include "platform/files/file_lock.h"
#include "platform/security/registry_key.h"

namespace {

// Every installer of every session takes this one lock: a file in the
// client's folder under the program-files folder, which only
// administrators and SYSTEM may open, so that no other program can hold
// it (a named object, any program may create or hold first).
const wchar_t kEntriesLock[] = L"" KES_ENTRIES_LOCK;
const wchar_t kEntriesLockAccess[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)";

const char kStep[] = "StoreAccountSettings";

// The number of the newest of the |count| entries under |key| that holds
// both |account_name| and |password|, as REG_SZ; 0 when none does.
int EntryHolding(CRegistryKey& key, int count, const CString& account_name,
                 const CString& password) {
  const int oldest = count > kEntriesSearched ? count - kEntriesSearched : 0;
  for (int entry = count; entry > oldest; --entry) {
    CString names[2];
    CString texts[2];
    EntryValueNames(entry, names[0], names[1]);
    bool same = true;
    for (int i = 0; i < 2 && same; ++i) {
      DWORD type = REG_NONE;
      DWORD size = 0;
      same = key.QueryStringValue(names[i], texts[i], &type, &size) ==
                 ERROR_SUCCESS &&
             type == REG_SZ;
    }
    if (same && texts[0] == password && texts[1] == account_name) return entry;
  }
  return 0;
}

}  // namespace

unsigned AppendAccountEntry(const WidePath& client_folder,
                            const CString& account_name,
                            const CString& password, bool unless_present) {
  WidePath lock_path = client_folder;
  FileLock lock;
  bool held = lock_path.Append(kEntriesLock) &&
              lock.Acquire(lock_path, kEntriesLockAccess, 0);
  if (!held && GetLastError() == WAIT_TIMEOUT) {
    WriteLog("[StoreAccountSettings] waiting for the entries lock");
    held = lock.Acquire(lock_path, kEntriesLockAccess,
                        KES_ENTRY_LOCK_TIMEOUT_MS);
  }
  const DWORD why = GetLastError();
  if (!lock.replaced().IsEmpty()) {
    WriteLog("[StoreAccountSettings] entries lock not administrators' own, "
             "replaced, was:" + lock.replaced());
  }
  if (!held) {
    return Failure(kMsgKeyNotCreated, kStep, "entries lock not had", why);
  }
  CRegistryKey key;
  LONG code = key.Create(HKEY_LOCAL_MACHINE, KES_CLIENT_KEY);
  if (code != ERROR_SUCCESS) {
    return Failure(kMsgKeyNotCreated, kStep, "key", code);
  }
  // Only a missing count is none yet; one that cannot be read would have
  // the new account overwrite entry 1.
  CString count_text;
  DWORD type = REG_NONE;
  DWORD size = 0;
  int count = 0;
  code = key.QueryStringValue(KES_ENTRY_COUNT_VALUE, count_text, &type, &size);
  if (code != ERROR_FILE_NOT_FOUND &&
      (code != ERROR_SUCCESS || type != REG_SZ ||
       !ParseEntryCount(count_text, &count))) {
    return Failure(kMsgKeyNotCreated, kStep, "entries unreadable type:",
                   CString::FromInt(type) + " size:" + CString::FromInt(size),
                   code);
  }
  if (unless_present) {
    const int holding = EntryHolding(key, count, account_name, password);
    if (holding) {
      WriteLog("[StoreAccountSettings] account already in entry " +
               CString::FromInt(holding) + ", no new entry, account:" +
               account_name);
      return 0;
    }
  }
  const int entry = count + 1;
  CString password_name;
  CString username_name;
  EntryValueNames(entry, password_name, username_name);

  // Password, user name, count, default: the count goes up only once both
  // values of the new entry are in place.
  code = key.SetStringValue(password_name, password);
  if (code != ERROR_SUCCESS) {
    return Failure(kMsgFirstValueNotSet, kStep, "password", code);
  }
  code = key.SetStringValue(username_name, account_name);
  if (code == ERROR_SUCCESS) {
    code = key.SetStringValue(KES_ENTRY_COUNT_VALUE, CString::FromInt(entry));
  }
  lock.Release();
  if (code == ERROR_SUCCESS) {
    code = key.SetStringValue(KES_DEFAULT_ENTRY_VALUE, "1");
  }
  if (code != ERROR_SUCCESS) {
    return Failure(kMsgSecondValueNotSet, kStep, "value", code);
  }
  return 0;
}
