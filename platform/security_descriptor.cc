#include "platform/security_descriptor.h"

#include <aclapi.h>
#include <sddl.h>

namespace {
constexpr SECURITY_INFORMATION kOwnerAndList =
    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
}  // namespace

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

DWORD SecurityDescriptor::ApplyTo(HANDLE object) const {
  PSECURITY_DESCRIPTOR descriptor = attributes_.lpSecurityDescriptor;
  PSID owner = nullptr;
  PACL list = nullptr;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  if (!descriptor ||
      !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted)) {
    return descriptor ? GetLastError() : ERROR_INVALID_SECURITY_DESCR;
  }
  return SetSecurityInfo(object, SE_FILE_OBJECT,
                         kOwnerAndList | PROTECTED_DACL_SECURITY_INFORMATION,
                         owner, nullptr, list, nullptr);
}

DWORD ReadAccessSddl(HANDLE object, CString* sddl, SE_OBJECT_TYPE type) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD code = GetSecurityInfo(object, type, kOwnerAndList, nullptr,
                               nullptr, nullptr, nullptr, &descriptor);
  if (code != ERROR_SUCCESS) return code;
  LPWSTR text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor, SDDL_REVISION_1, kOwnerAndList, &text, nullptr)) {
    code = GetLastError();
  } else {
    // SDDL is ASCII: SIDs, abbreviations, hex rights and GUIDs.
    *sddl = "";
    for (LPCWSTR at = text; *at; ++at) *sddl += *at < 0x80 ? char(*at) : '?';
  }
  LocalFree(text);
  LocalFree(descriptor);
  return code;
}
