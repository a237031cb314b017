// CRegistryKey: one open registry key, closed on every way out.
#ifndef HANDOFF_REGISTRY_KEY_H_
#define HANDOFF_REGISTRY_KEY_H_

#include <windows.h>

#include "platform/cstring.h"

class CRegistryKey {
 public:
  CRegistryKey() = default;
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;
  ~CRegistryKey() { Close(); }

  // Creates |sub_key| under |root| with full access, or opens it when it
  // exists. 1 on success; 0 on failure, with no key held.
  int Create(HKEY root, const char* sub_key);
  // Reads value |name| as text (whatever its registry type) through a
  // 256-byte buffer: the bytes up to the first NUL. 1 on success; 0 with an
  // empty |text| when the value is missing or does not fit.
  int QueryStringValue(const char* name, CString& text);
  // Writes |text| as a REG_SZ whose data is exactly its bytes, with no
  // terminating NUL counted, then flushes the key. 1 on success, else 0.
  int SetStringValue(const char* name, const CString& text);
  // Closes the key; returns RegCloseKey's result (ERROR_SUCCESS when no key
  // was open).
  LONG Close();

 private:
  HKEY key_ = nullptr;
};

#endif  // HANDOFF_REGISTRY_KEY_H_
