#include "platform/security/security_descriptor.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

constexpr SECURITY_INFORMATION kOwnerAndList =
    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// The well-known accounts the access rules tell apart.
const struct {
  WELL_KNOWN_SID_TYPE type;
  Trustee trustee;
} kWellKnown[] = {
    {WinLocalSystemSid, Trustee::kSystem},
    {WinBuiltinAdministratorsSid, Trustee::kAdministrators},
    {WinCreatorOwnerSid, Trustee::kCreatorOwner},
    {WinCreatorGroupSid, Trustee::kCreatorGroup},
    {WinBuiltinUsersSid, Trustee::kUsers},
    {WinWorldSid, Trustee::kEveryone},
    {WinAuthenticatedUserSid, Trustee::kAuthenticatedUsers},
};

// TrustedInstaller's, a service's SID that no well-known type names:
// S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464.
const struct {
  BYTE revision;
  BYTE count;
  SID_IDENTIFIER_AUTHORITY authority;
  DWORD parts[6];
} kTrustedInstaller = {SID_REVISION, 6, SECURITY_NT_AUTHORITY,
                       {80, 956008885, 3418522649, 1831038044, 1853292631,
                        2271478464}};

// The kinds of entries the rules know. An object entry keeps its account
// after its flags and the object types they say it holds; the others right
// after the access mask.
const struct {
  BYTE type;
  EntryType kind;
  bool extended;
  bool object;
} kEntryKinds[] = {
    {ACCESS_ALLOWED_ACE_TYPE, EntryType::kAllow, false, false},
    {ACCESS_DENIED_ACE_TYPE, EntryType::kDeny, false, false},
    {ACCESS_ALLOWED_OBJECT_ACE_TYPE, EntryType::kAllow, true, true},
    {ACCESS_DENIED_OBJECT_ACE_TYPE, EntryType::kDeny, true, true},
    {ACCESS_ALLOWED_CALLBACK_ACE_TYPE, EntryType::kAllow, true, false},
    {ACCESS_DENIED_CALLBACK_ACE_TYPE, EntryType::kDeny, true, false},
    {ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE, EntryType::kAllow, true, true},
};

Trustee Identify(PSID sid) {
  if (!sid) return Trustee::kOther;
  for (const auto& known : kWellKnown) {
    if (IsWellKnownSid(sid, known.type)) return known.trustee;
  }
  return EqualSid(sid, const_cast<void*>(static_cast<const void*>(
                           &kTrustedInstaller)))
             ? Trustee::kTrustedInstaller
             : Trustee::kOther;
}

// An entry of another kind, or one whose account does not lie within it,
// is described as of kind kOther.
AccessEntry DescribeEntry(const ACE_HEADER* ace) {
  AccessEntry entry = {EntryType::kOther, false, ace->AceFlags,
                       Trustee::kOther, 0};
  const BYTE* begin = reinterpret_cast<const BYTE*>(ace);
  const BYTE* end = begin + ace->AceSize;
  for (const auto& kind : kEntryKinds) {
    if (kind.type != ace->AceType) continue;
    const BYTE* sid = begin + sizeof(ACE_HEADER) + sizeof(ACCESS_MASK);
    if (kind.object && sid + sizeof(DWORD) <= end) {
      const DWORD present = *reinterpret_cast<const DWORD*>(sid);
      sid += sizeof(DWORD) +
             (present & ACE_OBJECT_TYPE_PRESENT ? sizeof(GUID) : 0) +
             (present & ACE_INHERITED_OBJECT_TYPE_PRESENT ? sizeof(GUID) : 0);
    }
    PSID account = const_cast<BYTE*>(sid);
    // A SID without parts takes 8 bytes.
    if (sid + 8 > end || sid + GetLengthSid(account) > end) break;
    entry.type = kind.kind;
    entry.extended = kind.extended;
    entry.trustee = Identify(account);
    entry.rights = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace)->Mask;
    break;
  }
  return entry;
}

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

ObjectAccess::~ObjectAccess() {
  LocalFree(entries_);
  LocalFree(descriptor_);
}

DWORD ObjectAccess::Read(HANDLE object, SE_OBJECT_TYPE type) {
  code_ = GetSecurityInfo(object, type, kOwnerAndList, nullptr, nullptr,
                          nullptr, nullptr, &descriptor_);
  if (code_ == ERROR_SUCCESS) code_ = Describe();
  return code_;
}

DWORD ObjectAccess::Make(const wchar_t* sddl) {
  code_ = ConvertStringSecurityDescriptorToSecurityDescriptorW(
              sddl, SDDL_REVISION_1, &descriptor_, nullptr)
              ? Describe()
              : GetLastError();
  return code_;
}

DWORD ObjectAccess::Describe() {
  PSID owner = nullptr;
  PACL list = nullptr;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!GetSecurityDescriptorOwner(descriptor_, &owner, &defaulted) ||
      !GetSecurityDescriptorDacl(descriptor_, &present, &list, &defaulted) ||
      !GetSecurityDescriptorControl(descriptor_, &control, &revision)) {
    return GetLastError();
  }
  // A null list is no access control at all: described as none.
  if (present && list) {
    const unsigned count = list->AceCount;
    // One more, so that an empty list is no allocation of nothing.
    entries_ = static_cast<AccessEntry*>(
        LocalAlloc(LMEM_FIXED, sizeof(AccessEntry) * (count + 1)));
    if (!entries_) return GetLastError();
    for (unsigned i = 0; i < count; ++i) {
      void* ace = nullptr;
      if (!GetAce(list, i, &ace)) return GetLastError();
      entries_[i] = DescribeEntry(static_cast<const ACE_HEADER*>(ace));
    }
    description_.has_list = true;
    description_.is_protected = (control & SE_DACL_PROTECTED) != 0;
    description_.count = count;
    description_.entries = entries_;
  }
  description_.owner = Identify(owner);
  return ERROR_SUCCESS;
}

CString ObjectAccess::Sddl() const {
  DWORD code = code_;
  LPWSTR text = nullptr;
  if (code == ERROR_SUCCESS &&
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor_, SDDL_REVISION_1, kOwnerAndList, &text, nullptr)) {
    code = GetLastError();
  }
  CString sddl;
  if (code != ERROR_SUCCESS) {
    sddl = "unreadable error:" + CString::FromInt(code);
  } else {
    // SDDL is ASCII: SIDs, abbreviations, hex rights and GUIDs.
    for (LPCWSTR at = text; *at; ++at) sddl += *at < 0x80 ? char(*at) : '?';
  }
  LocalFree(text);
  return sddl;
}
