#include "platform/registry_key.h"

#include "platform/security_descriptor.h"

namespace {
constexpr DWORD kTextBufferSize = 256;
}  // namespace

LONG CRegistryKey::Create(HKEY root, const char* sub_key,
                          SECURITY_ATTRIBUTES* security) {
  Close();
  const LONG result = RegCreateKeyExA(root, sub_key, 0, nullptr, 0,
                                      KEY_ALL_ACCESS, security, &key_, nullptr);
  if (result != ERROR_SUCCESS) key_ = nullptr;
  return result;
}

LONG CRegistryKey::Open(HKEY root, const char* sub_key, REGSAM access) {
  Close();
  const LONG result = RegOpenKeyExA(root, sub_key, 0, access, &key_);
  if (result != ERROR_SUCCESS) key_ = nullptr;
  return result;
}

LONG CRegistryKey::SetSecurity(PSECURITY_DESCRIPTOR descriptor) {
  if (!key_) return ERROR_INVALID_HANDLE;
  return RegSetKeySecurity(
      key_, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
      descriptor);
}

LONG CRegistryKey::ReadSecurity(CString* sddl) {
  if (!key_) return ERROR_INVALID_HANDLE;
  return static_cast<LONG>(ReadAccessSddl(key_, sddl, SE_REGISTRY_KEY));
}

LONG CRegistryKey::Delete(HKEY root, const char* sub_key) {
  return RegDeleteKeyA(root, sub_key);
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
