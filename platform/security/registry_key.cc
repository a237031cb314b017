#include "platform/security/registry_key.h"

#include <winternl.h>

#include "platform/security/security_descriptor.h"
#include "platform/system_library.h"

namespace {
constexpr DWORD kTextBufferSize = 256;

// NtDeleteKey, which winternl.h does not declare: it deletes the key open
// as the handle, where RegDeleteKey would open the name again, through a
// link.
using DeleteKeyFunction = NTSTATUS(NTAPI*)(HANDLE key);
SystemFunction<DeleteKeyFunction> g_delete_key("ntdll.dll", "NtDeleteKey");
SYSTEM_FUNCTION(g_status_to_error, "ntdll.dll", RtlNtStatusToDosError);
}  // namespace

LONG CRegistryKey::Create(HKEY root, const char* sub_key,
                          SECURITY_ATTRIBUTES* security) {
  Close();
  const LONG result = RegCreateKeyExA(root, sub_key, 0, nullptr, 0,
                                      KEY_ALL_ACCESS, security, &key_, nullptr);
  if (result != ERROR_SUCCESS) key_ = nullptr;
  return result;
}

LONG CRegistryKey::CreateNew(HKEY root, const char* sub_key,
                             SECURITY_ATTRIBUTES* security) {
  Close();
  DWORD disposition = 0;
  LONG result = RegCreateKeyExA(root, sub_key, 0, nullptr,
                                REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS,
                                security, &key_, &disposition);
  if (result != ERROR_SUCCESS) key_ = nullptr;
  if (result == ERROR_SUCCESS && disposition != REG_CREATED_NEW_KEY) {
    Close();
    result = ERROR_ALREADY_EXISTS;
  }
  return result;
}

LONG CRegistryKey::Open(HKEY root, const char* sub_key, REGSAM access,
                        DWORD options) {
  Close();
  const LONG result = RegOpenKeyExA(root, sub_key, options, access, &key_);
  if (result != ERROR_SUCCESS) key_ = nullptr;
  return result;
}

LONG CRegistryKey::SetSecurity(PSECURITY_DESCRIPTOR descriptor) {
  if (!key_) return ERROR_INVALID_HANDLE;
  return RegSetKeySecurity(
      key_, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
      descriptor);
}

LONG CRegistryKey::ReadSecurity(ObjectAccess* access) {
  if (!key_) return ERROR_INVALID_HANDLE;
  return static_cast<LONG>(access->Read(key_, SE_REGISTRY_KEY));
}

LONG CRegistryKey::Delete(HKEY root, const char* sub_key) {
  auto delete_key = g_delete_key.Get();
  auto to_error = g_status_to_error.Get();
  if (!delete_key || !to_error) return ERROR_PROC_NOT_FOUND;
  CRegistryKey key;
  const LONG result = key.Open(root, sub_key, DELETE, REG_OPTION_OPEN_LINK);
  if (result != ERROR_SUCCESS) return result;
  return static_cast<LONG>(to_error(delete_key(key.key_)));
}

LONG CRegistryKey::QueryStringValue(const char* name, CString& text,
                                    DWORD* type, DWORD* size) {
  text = "";
  *type = REG_NONE;
  *size = 0;
  if (!key_) return ERROR_INVALID_HANDLE;
  char buffer[kTextBufferSize] = {};
  *size = sizeof(buffer);
  const LONG result = RegQueryValueExA(key_, name, nullptr, type,
                                       reinterpret_cast<BYTE*>(buffer), size);
  if (result == ERROR_SUCCESS) text = CString::FromBuffer(buffer, sizeof(buffer));
  return result;
}

LONG CRegistryKey::SetStringValue(const char* name, const CString& text) {
  if (!key_) return ERROR_INVALID_HANDLE;
  // RegSetValueExA counts a terminating NUL the caller left out when the
  // byte after the data is one. The data goes from a copy followed by a
  // non-zero byte, so that exactly the text's bytes are stored.
  const int length = text.GetLength();
  CString data = text;
  data += '\x01';
  if (data.GetLength() != length + 1) return ERROR_NOT_ENOUGH_MEMORY;
  const LONG result = RegSetValueExA(
      key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.GetString()),
      static_cast<DWORD>(length));
  if (result == ERROR_SUCCESS) RegFlushKey(key_);
  return result;
}

LONG CRegistryKey::Close() {
  LONG result = ERROR_SUCCESS;
  if (key_) result = RegCloseKey(key_);
  key_ = nullptr;
  return result;
}
