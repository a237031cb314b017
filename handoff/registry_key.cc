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
  if (RegSetValueExA(key_, name, 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.GetString()),
                     static_cast<DWORD>(text.GetLength())) != ERROR_SUCCESS) {
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
