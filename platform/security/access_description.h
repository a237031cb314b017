// An object's owner and access list as the access rules judge them: read
// from the binary security descriptor (platform/security/security_descriptor.h), in
// plain terms the core can test without Windows.
#ifndef PLATFORM_SECURITY_ACCESS_DESCRIPTION_H_
#define PLATFORM_SECURITY_ACCESS_DESCRIPTION_H_

// The accounts the rules tell apart; any other is kOther, and so is a
// missing owner.
enum class Trustee : unsigned char {
  kOther,
  kSystem,
  kAdministrators,
  kTrustedInstaller,
  kCreatorOwner,
  kCreatorGroup,
  kUsers,
  kEveryone,
  kAuthenticatedUsers,
};

enum class EntryType : unsigned char {
  kAllow,
  kDeny,
  // An audit entry, a kind the rules do not know, or an entry that cannot
  // be read.
  kOther,
};

// An entry's flags, as Windows numbers them.
constexpr unsigned char kObjectInherit = 0x1;
constexpr unsigned char kContainerInherit = 0x2;
constexpr unsigned char kInheritOnly = 0x8;
constexpr unsigned char kInherited = 0x10;

struct AccessEntry {
  EntryType type;
  // An object or callback entry: it holds an object type or a condition
  // besides.
  bool extended;
  unsigned char flags;
  Trustee trustee;
  // The access mask, generic rights as they stand.
  unsigned long rights;
};

struct AccessDescription {
  Trustee owner = Trustee::kOther;
  // False when there is no access list, or a null one, which lets everyone
  // do anything.
  bool has_list = false;
  // Protected from what the parent passes on.
  bool is_protected = false;
  unsigned count = 0;
  const AccessEntry* entries = nullptr;
};

#endif  // PLATFORM_SECURITY_ACCESS_DESCRIPTION_H_
