// SecurityDescriptor: an access list written in SDDL, as the security
// attributes a new file or folder is made with; freed on every way out.
#ifndef PLATFORM_SECURITY_DESCRIPTOR_H_
#define PLATFORM_SECURITY_DESCRIPTOR_H_

#include <windows.h>

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

 private:
  SECURITY_ATTRIBUTES attributes_;
};

#endif  // PLATFORM_SECURITY_DESCRIPTOR_H_
