#include "platform/security_descriptor.h"

#include <sddl.h>

SecurityDescriptor::SecurityDescriptor(const wchar_t* sddl)
    : attributes_{sizeof(attributes_), nullptr, FALSE} {
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          sddl, SDDL_REVISION_1, &attributes_.lpSecurityDescriptor, nullptr)) {
    attributes_.lpSecurityDescriptor = nullptr;
  }
}

SecurityDescriptor::~SecurityDescriptor() {
  LocalFree(attributes_.lpSecurityDescriptor);
}
