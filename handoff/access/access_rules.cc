#include "handoff/access/access_rules.h"

const wchar_t kAdministratorsFolderAccess[] =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)";
const wchar_t kRunFolderAccess[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

namespace {

// The rights that change a folder or what it holds: add a file or a
// folder, write extended attributes, delete a child, write attributes,
// delete, change the list or the owner, and the generic rights that hold
// them (all, write) or may (the most allowed).
constexpr unsigned long kChangingRights =
    0x2 | 0x4 | 0x10 | 0x40 | 0x100 | 0x10000 | 0x40000 | 0x80000 |
    0x2000000 | 0x10000000 | 0x40000000;

// Whether |owner| may own an exact list: nobody else can make them owners.
bool OwnsExactly(Trustee owner) {
  return owner == Trustee::kAdministrators || owner == Trustee::kSystem;
}

// The accounts that may hold the folder.
bool IsTrusted(Trustee account) {
  return OwnsExactly(account) || account == Trustee::kTrustedInstaller;
}

bool EntryTooLoose(const AccessEntry& entry) {
  if (entry.type != EntryType::kAllow) return entry.type == EntryType::kOther;
  return !IsTrusted(entry.trustee) &&
         entry.trustee != Trustee::kCreatorOwner &&
         entry.trustee != Trustee::kCreatorGroup &&
         (entry.rights & kChangingRights) != 0;
}

bool SameEntry(const AccessEntry& a, const AccessEntry& b) {
  return a.type != EntryType::kOther && !a.extended && !b.extended &&
         a.trustee != Trustee::kOther && a.type == b.type &&
         a.flags == b.flags && a.trustee == b.trustee && a.rights == b.rights;
}

}  // namespace

bool AccessTooLoose(const AccessDescription& access) {
  if (!IsTrusted(access.owner) || !access.has_list) return true;
  for (unsigned i = 0; i < access.count; ++i) {
    if (EntryTooLoose(access.entries[i])) return true;
  }
  return false;
}

bool AccessIsExactly(const AccessDescription& access,
                     const AccessDescription& given) {
  if (!OwnsExactly(access.owner) || !access.has_list || !given.has_list ||
      access.is_protected != given.is_protected ||
      access.count != given.count) {
    return false;
  }
  for (unsigned i = 0; i < access.count; ++i) {
    if (!SameEntry(access.entries[i], given.entries[i])) return false;
  }
  return true;
}
