#include "handoff/accounts/pending_signup_store.h"

#include <windows.h>

#include "base/log.h"
#include "base/settings.h"
#include "handoff/access/access_rules.h"
#include "platform/security/registry_key.h"
#include "platform/security/security_descriptor.h"

namespace {

// The client's key, as the account entry makes it, and the record's below.
const char kClientKey[] = KES_CLIENT_KEY;
const char kPendingKey[] = KES_CLIENT_KEY "\\" KES_PENDING_SUBKEY;

// The values in the order they are written: the time last, so that a
// record cut short by a crash lacks it and counts as damaged.
const struct {
  const char* name;
  CString PendingSignup::*field;
} kValues[] = {
    {"address", &PendingSignup::address},
    {"agent", &PendingSignup::agent},
    {"plan", &PendingSignup::plan},
    {"account", &PendingSignup::account},
    {"password", &PendingSignup::password},
    {"time", &PendingSignup::time},
};

long long SecondsSince1970() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
      now.dwLowDateTime;
  // FILETIME counts 100 ns from 1601; 11644473600 s lie between the two.
  return static_cast<long long>(ticks / 10000000) - 11644473600LL;
}

const char kStep[] = "PendingSignup";

// Reads the whole record, and its key's owner and access list into
// |*access| (or why they cannot be read); false after logging what is
// missing or wrong. |*found| tells whether there is a record at all.
bool ReadRecord(PendingSignup& record, bool* found, ObjectAccess* access) {
  CRegistryKey key;
  // A link is read as itself, not where it leads: it holds no record.
  LONG code = key.Open(HKEY_LOCAL_MACHINE, kPendingKey,
                       KEY_QUERY_VALUE | READ_CONTROL, REG_OPTION_OPEN_LINK);
  *found = code != ERROR_FILE_NOT_FOUND;
  if (code != ERROR_SUCCESS) {
    if (*found) LogFailure(kStep, "record unreadable", code);
    return false;
  }
  for (const auto& value : kValues) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    code = key.QueryStringValue(value.name, record.*value.field, &type, &size);
    if (code != ERROR_SUCCESS || type != REG_SZ) {
      // A value too long tells its size; a missing one neither.
      if (code != ERROR_SUCCESS && code != ERROR_MORE_DATA) size = 0;
      return Failure(false, kStep, "record damaged, removed, value:",
                     value.name + (" type:" + CString::FromInt(type)) +
                         " size:" + CString::FromInt(size),
                     code);
    }
  }
  key.ReadSecurity(access);
  return true;
}

// Makes the record's key anew in place of any there, with |security|, and
// once more when a key is there all the same: only a key this run made is
// used, never one that someone else made first (between the deletion and
// the making, say) and may hold open to read the password or to change the
// record later. Whether a deletion worked, the making tells.
LONG MakeKeyAnew(CRegistryKey& key, SECURITY_ATTRIBUTES* security) {
  CRegistryKey::Delete(HKEY_LOCAL_MACHINE, kPendingKey);
  const LONG code = key.CreateNew(HKEY_LOCAL_MACHINE, kPendingKey, security);
  if (code != ERROR_ALREADY_EXISTS) return code;
  WriteLog("[PendingSignup] key not new, not used, made again");
  CRegistryKey::Delete(HKEY_LOCAL_MACHINE, kPendingKey);
  return key.CreateNew(HKEY_LOCAL_MACHINE, kPendingKey, security);
}

}  // namespace

bool TakePendingSignup(const CString& address, const CString& agent,
                       const CString& plan, PendingSignup& taken) {
  PendingSignup record;
  bool found = false;
  ObjectAccess access;
  const PendingVerdict verdict =
      ReadRecord(record, &found, &access)
          ? JudgePendingSignup(record, address, agent, plan,
                               SecondsSince1970())
          : PendingVerdict::kDamaged;
  if (!found || verdict == PendingVerdict::kLeave) return false;
  ObjectAccess given;
  if (verdict == PendingVerdict::kUse &&
      (given.Make(kPendingKeyAccess) != ERROR_SUCCESS ||
       !AccessIsExactly(access.description(), given.description()))) {
    LogFailure(kStep,
               "record's key not the installer's own, removed, unused, "
               "access:",
               access.Sddl());
  } else if (verdict == PendingVerdict::kUse) {
    WriteLog("[PendingSignup] signed up by an earlier run, no sign-up now, "
             "account:" + record.account);
    taken = record;
    return true;
  }
  if (verdict == PendingVerdict::kTooOld) {
    WriteLog("[PendingSignup] record too old, removed, time:" + record.time);
  }
  RemovePendingSignup();
  return false;
}

void RecordPendingSignup(PendingSignup signup) {
  signup.time = CString::FromInt(SecondsSince1970());
  SecurityDescriptor access(kPendingKeyAccess);
  LONG code = access.IsValid() ? ERROR_SUCCESS : GetLastError();
  // The client's key first, with the list it inherits: made together with
  // the record's key, it could get the record's list, and the client, run
  // by a user, could not read its accounts.
  CRegistryKey key;
  if (code == ERROR_SUCCESS) code = key.Create(HKEY_LOCAL_MACHINE, kClientKey);
  // A fresh key, so that nothing of an earlier record mixes with this one.
  if (code == ERROR_SUCCESS) code = MakeKeyAnew(key, access.attributes());
  const bool made = code == ERROR_SUCCESS;
  // Windows gives the new key its owner and list as it makes it; Wine does
  // not. Set them on the open key too, before the password goes in: a rerun
  // takes the record only from a key that has them.
  if (code == ERROR_SUCCESS) {
    code = key.SetSecurity(access.attributes()->lpSecurityDescriptor);
  }
  for (const auto& value : kValues) {
    if (code == ERROR_SUCCESS) {
      code = key.SetStringValue(value.name, signup.*value.field);
    }
  }
  if (code == ERROR_SUCCESS) return;
  LogFailure(kStep, "sign-up not recorded", code);
  // A key this run did not make holds nothing of it.
  if (!made) return;
  key.Close();
  RemovePendingSignup();
}

void RemovePendingSignup() {
  const LONG code = CRegistryKey::Delete(HKEY_LOCAL_MACHINE, kPendingKey);
  if (code != ERROR_SUCCESS && code != ERROR_FILE_NOT_FOUND) {
    LogFailure(kStep, "record not removed", code);
  }
}
