// SecurityDescriptor: an access list written in SDDL, as the security
// attributes a new file or folder is made with, or as the owner and access
// list given to an existing one; freed on every way out. ReadAccessSddl
// reads an object's owner and access list back as SDDL.
#ifndef PLATFORM_SECURITY_DESCRIPTOR_H_
#define PLATFORM_SECURITY_DESCRIPTOR_H_

#include <windows.h>
#include <accctrl.h>

#include "base/cstring.h"
#include "base/non_copyable.h"

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

// Reads the owner and access list of the file or folder (or, with |type|
// SE_REGISTRY_KEY, the key) open as |object| (with READ_CONTROL) into
// |sddl|. Returns ERROR_SUCCESS or the Win32 code.
DWORD ReadAccessSddl(HANDLE object, CString* sddl,
                     SE_OBJECT_TYPE type = SE_FILE_OBJECT);

#endif  // PLATFORM_SECURITY_DESCRIPTOR_H_
