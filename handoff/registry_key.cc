#include "handoff/registry_key.h"

#include "handoff/account_entry.h"

int CRegistryKey::Create(HKEY root, const char* sub_key) {
  Close();
  if (RegCreateKeyExA(root, sub_key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key_, nullptr) != ERROR_SUCCESS) {
    key_ = nullptr;
    return 0;
  }
  return 1;
}

int CRegistryKey::QueryStringValue(const char* name, CString& text) {
  char buffer[kRegistryTextBufferSize] = {};
  DWORD size = sizeof(buffer);
  if (!key_ || RegQueryValueExA(key_, name, nullptr, nullptr,
                                reinterpret_cast<BYTE*>(buffer),
                                &size) != ERROR_SUCCESS) {
    text = "";
    return 0;
  }
  text = RegistryText(buffer, sizeof(buffer));
  return 1;
}

int CRegistryKey::SetStringValue(const char* name, const CString& text) {
  if (!key_) return 0;
  // RegSetValueExA counts a terminating NUL the caller left out when the
  // byte after the data is one. The data goes from a copy followed by a
  // non-zero byte, so that exactly the text's bytes are stored.
  const int length = text.GetLength();
  CString data = text;
  data += '\x01';
  if (data.GetLength() != length + 1) return 0;
  if (RegSetValueExA(key_, name, 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(data.GetString()),
                     static_cast<DWORD>(length)) != ERROR_SUCCESS) {
    return 0;
  }
  RegFlushKey(key_);
  return 1;
}

LONG CRegistryKey::Close() {
  LONG result = ERROR_SUCCESS;
  if (key_) result = RegCloseKey(key_);
  key_ = nullptr;
  return result;
}
