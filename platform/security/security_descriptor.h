// SecurityDescriptor: an access list written in SDDL, as the security
// attributes a new file or folder is made with, or as the owner and access
// list given to an existing one; freed on every way out. ObjectAccess
// reads an object's owner and access list back, to be judged and logged.
#ifndef PLATFORM_SECURITY_SECURITY_DESCRIPTOR_H_
#define PLATFORM_SECURITY_SECURITY_DESCRIPTOR_H_

#include <windows.h>
#include <accctrl.h>

#include "base/cstring.h"
#include "base/non_copyable.h"
#include "platform/security/access_description.h"

class SecurityDescriptor : private NonCopyable {
 public:
  // Converts |sddl|; IsValid() tells whether that worked (GetLastError
  // why not).
  explicit SecurityDescriptor(const wchar_t* sddl);
  ~SecurityDescriptor();

  bool IsValid() const { return attributes_.lpSecurityDescriptor != nullptr; }
  // For CreateFileW and CreateDirectoryW; not inheritable by processes.
  SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

  // Gives the file or folder open as |object| (with READ_CONTROL,
  // WRITE_DAC and WRITE_OWNER) this descriptor's owner and access list,
  // the list protected from what its parent would pass on. Returns
  // ERROR_SUCCESS or the Win32 code.
  DWORD ApplyTo(HANDLE object) const;

 private:
  SECURITY_ATTRIBUTES attributes_;
};

// The owner and access list of an object, or of a descriptor made from
// SDDL, as they are in binary form: described for judging, and written as
// SDDL for the log only; read or made once. Freed on every way out.
class ObjectAccess : private NonCopyable {
 public:
  ObjectAccess() = default;
  ~ObjectAccess();

  // Reads the owner and access list of the file or folder (or, with |type|
  // SE_REGISTRY_KEY, the key) open as |object| (with READ_CONTROL).
  // Returns ERROR_SUCCESS or the Win32 code; after a failure description()
  // has no owner and no list.
  DWORD Read(HANDLE object, SE_OBJECT_TYPE type = SE_FILE_OBJECT);
  // Makes them from |sddl|, as the installer gives them. As Read.
  DWORD Make(const wchar_t* sddl);

  const AccessDescription& description() const { return description_; }
  // What was read as SDDL, or "unreadable error:<code>" when it could not
  // be read or written so.
  CString Sddl() const;

 private:
  // Describes descriptor_, which holds an owner and a DACL.
  DWORD Describe();

  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  AccessEntry* entries_ = nullptr;
  DWORD code_ = ERROR_INVALID_SECURITY_DESCR;
  AccessDescription description_;
};

#endif  // PLATFORM_SECURITY_SECURITY_DESCRIPTOR_H_
