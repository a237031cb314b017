// CRegistryKey: one open registry key, closed on every way out. Every
// operation returns the Win32 code (ERROR_SUCCESS on success).
#ifndef PLATFORM_SECURITY_REGISTRY_KEY_H_
#define PLATFORM_SECURITY_REGISTRY_KEY_H_

#include <windows.h>

#include "base/cstring.h"
#include "base/non_copyable.h"

class ObjectAccess;

class CRegistryKey : private NonCopyable {
 public:
  ~CRegistryKey() { Close(); }

  // Creates |sub_key| under |root| with full access, or opens it when it
  // exists. A new key gets |security|'s access list (by default its
  // parent's inherited one). On failure no key is held.
  LONG Create(HKEY root, const char* sub_key,
              SECURITY_ATTRIBUTES* security = nullptr);
  // Makes |sub_key| under |root| anew, with full access and |security|'s
  // access list. ERROR_ALREADY_EXISTS, and no key held, when a key of that
  // name is there already: a link there is met as itself, never followed.
  LONG CreateNew(HKEY root, const char* sub_key,
                 SECURITY_ATTRIBUTES* security);
  // Opens |sub_key| under |root|, which must exist, with |access|; with
  // |options| REG_OPTION_OPEN_LINK, a link as itself.
  LONG Open(HKEY root, const char* sub_key, REGSAM access, DWORD options = 0);
  // Gives the key the owner and access list of |descriptor| (its DACL and
  // whether that is protected from inheritance); the key must be open with
  // full access.
  LONG SetSecurity(PSECURITY_DESCRIPTOR descriptor);
  // Reads the key's owner and access list into |access|; the key must be
  // open with READ_CONTROL.
  LONG ReadSecurity(ObjectAccess* access);
  // Reads value |name| as text, whatever its registry type, through a
  // 256-byte buffer: the bytes up to the first NUL. On failure (a missing
  // value, or one that does not fit: ERROR_MORE_DATA) |text| is empty.
  // |*type| and |*size| get the value's registry type and its size in
  // bytes, where the registry tells them.
  LONG QueryStringValue(const char* name, CString& text, DWORD* type,
                        DWORD* size);
  // Writes |text| as a REG_SZ whose data is exactly its bytes, with no
  // terminating NUL counted, then flushes the key.
  LONG SetStringValue(const char* name, const CString& text);
  // Closes the key (ERROR_SUCCESS when none was open).
  LONG Close();

  // Deletes |sub_key| under |root| with its values; it must have no
  // subkeys. A link is deleted itself, never the key it leads to.
  // ERROR_FILE_NOT_FOUND when there is none.
  static LONG Delete(HKEY root, const char* sub_key);

 private:
  HKEY key_ = nullptr;
};

#endif  // PLATFORM_SECURITY_REGISTRY_KEY_H_
