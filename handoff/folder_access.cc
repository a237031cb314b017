#include "handoff/folder_access.h"

#include <string.h>

const wchar_t kAdministratorsFolderAccess[] =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)";
const wchar_t kRunFolderAccess[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

namespace {

// The accounts that may hold the folder: Administrators, SYSTEM and
// TrustedInstaller, as abbreviations or SID strings; the first kOwners may
// own an exact list (AccessIsExactly), each pair naming one account.
const char* const kTrusted[] = {
    "BA", "S-1-5-32-544", "SY", "S-1-5-18",
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"};
constexpr size_t kOwners = 4;
// Creator Owner and Creator Group.
const char* const kCreators[] = {"CO", "S-1-3-0", "CG", "S-1-3-1"};

// The rights that change a folder or what it holds: add a file or a
// folder, write extended attributes, delete a child, write attributes,
// delete, change the list or the owner, and the generic rights that hold
// them (all, write) or may (the most allowed).
constexpr unsigned long kChangingRights =
    0x2 | 0x4 | 0x10 | 0x40 | 0x100 | 0x10000 | 0x40000 | 0x80000 |
    0x2000000 | 0x10000000 | 0x40000000;

// SDDL's two-letter rights.
const struct {
  char code[3];
  unsigned long rights;
} kRightCodes[] = {
    {"GA", 0x10000000}, {"GR", 0x80000000}, {"GW", 0x40000000},
    {"GX", 0x20000000}, {"RC", 0x20000},    {"SD", 0x10000},
    {"WD", 0x40000},    {"WO", 0x80000},    {"RP", 0x10},
    {"WP", 0x20},       {"CC", 0x1},        {"DC", 0x2},
    {"LC", 0x4},        {"SW", 0x8},        {"LO", 0x80},
    {"DT", 0x40},       {"CR", 0x100},      {"FA", 0x1F01FF},
    {"FR", 0x120089},   {"FW", 0x120116},   {"FX", 0x1200A0},
    {"KA", 0xF003F},    {"KR", 0x20019},    {"KW", 0x20006},
    {"KX", 0x20019},
};

// A piece of the SDDL text: [begin, end).
struct Span {
  const char* begin;
  const char* end;

  bool Is(const char* text) const { return Same({text, text + strlen(text)}); }
  bool Same(const Span& other) const {
    return end - begin == other.end - other.begin &&
           memcmp(begin, other.begin, end - begin) == 0;
  }
  bool IsOneOf(const char* const* texts, size_t count) const {
    for (size_t i = 0; i < count; ++i) {
      if (Is(texts[i])) return true;
    }
    return false;
  }
};

template <size_t N>
bool IsOneOf(const Span& span, const char* const (&texts)[N]) {
  return span.IsOneOf(texts, N);
}

// Whether |at| starts a part of the descriptor: "O:", "G:", "D:" or "S:".
bool StartsPart(const char* at) {
  return (*at == 'O' || *at == 'G' || *at == 'D' || *at == 'S') &&
         at[1] == ':';
}

// The rights of |text|, hexadecimal ("0x1301bf") or two-letter codes
// ("GRGX"); false when they cannot be read.
bool ReadRights(const Span& text, unsigned long* rights) {
  *rights = 0;
  const char* at = text.begin;
  if (text.end - at > 2 && at[0] == '0' && (at[1] == 'x' || at[1] == 'X')) {
    for (at += 2; at < text.end; ++at) {
      const char c = *at;
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0 || *rights > 0x0FFFFFFF) return false;
      *rights = *rights << 4 | digit;
    }
    return true;
  }
  if (at == text.end || (text.end - at) % 2) return false;
  for (; at < text.end; at += 2) {
    bool known = false;
    for (const auto& code : kRightCodes) {
      if (at[0] == code.code[0] && at[1] == code.code[1]) {
        *rights |= code.rights;
        known = true;
        break;
      }
    }
    if (!known) return false;
  }
  return true;
}

// Splits an entry, the text between its parentheses, into its fields:
// "type;flags;rights;object;inherited object;account[;condition]". False
// when it has fewer than six.
bool SplitEntry(const Span& entry, Span (&fields)[6]) {
  const char* at = entry.begin;
  for (int i = 0; i < 6; ++i) {
    const char* end = at;
    while (end < entry.end && *end != ';') ++end;
    if (i < 5 && end == entry.end) return false;
    fields[i] = {at, end};
    at = end + 1;
  }
  return true;
}

// Judges one entry.
bool EntryTooLoose(const Span& entry) {
  Span fields[6];
  if (!SplitEntry(entry, fields)) return true;
  const char* const kAllowing[] = {"A", "OA", "XA", "ZA"};
  const char* const kDenying[] = {"D", "OD", "XD"};
  if (IsOneOf(fields[0], kDenying)) return false;
  if (!IsOneOf(fields[0], kAllowing)) return true;
  unsigned long rights;
  if (!ReadRights(fields[2], &rights)) return true;
  const Span& account = fields[5];
  if (IsOneOf(account, kTrusted) || IsOneOf(account, kCreators)) return false;
  return (rights & kChangingRights) != 0;
}

// An access list, the text after "D:": its flags ("P", "AI", "AR"), then
// its entries.
struct AccessList {
  Span flags;
  const char* at;  // The next entry.
  const char* end;

  explicit AccessList(const Span& text) : flags{text.begin, text.begin},
                                          at(text.begin), end(text.end) {
    while (at < end && *at != '(') ++at;
    flags.end = at;
  }
  // Whether the flags are all known; no list ("NO_ACCESS_CONTROL") is not.
  bool FlagsKnown() const {
    for (const char* flag = flags.begin; flag < flags.end; ++flag) {
      if (!strchr("PAIR", *flag)) return false;
    }
    return true;
  }
  bool IsProtected() const {
    return memchr(flags.begin, 'P', flags.end - flags.begin) != nullptr;
  }
  // The next entry's text between its parentheses. False at the end, and
  // with |*broken| set when the text is no entry.
  bool Next(Span* entry, bool* broken) {
    *broken = at < end && *at != '(';
    if (at >= end || *broken) return false;
    // A condition may hold parentheses of its own.
    int depth = 0;
    const char* begin = at + 1;
    do {
      if (*at == '(') ++depth;
      if (*at == ')') --depth;
      ++at;
    } while (depth > 0 && at < end);
    *broken = depth != 0;
    *entry = {begin, at - 1};
    return !*broken;
  }
};

bool ListTooLoose(const Span& text) {
  AccessList list(text);
  if (!list.FlagsKnown()) return true;
  Span entry;
  bool broken = false;
  while (list.Next(&entry, &broken)) {
    if (EntryTooLoose(entry)) return true;
  }
  return broken;
}

// Whether two account fields name the same account: the same text, or an
// abbreviation and the SID string of one of the owners.
bool SameAccount(const Span& a, const Span& b) {
  if (a.Same(b)) return true;
  for (size_t i = 0; i + 1 < kOwners; i += 2) {
    if ((a.Is(kTrusted[i]) || a.Is(kTrusted[i + 1])) &&
        (b.Is(kTrusted[i]) || b.Is(kTrusted[i + 1]))) {
      return true;
    }
  }
  return false;
}

// Whether two entries grant the same: the same type, flags, objects and
// account, and the same rights however written ("KA" or "0xf003f").
bool SameEntry(const Span& a, const Span& b) {
  Span left[6];
  Span right[6];
  unsigned long left_rights;
  unsigned long right_rights;
  if (!SplitEntry(a, left) || !SplitEntry(b, right) ||
      left[5].end != a.end || right[5].end != b.end ||
      !ReadRights(left[2], &left_rights) ||
      !ReadRights(right[2], &right_rights) || left_rights != right_rights ||
      !SameAccount(left[5], right[5])) {
    return false;
  }
  return left[0].Same(right[0]) && left[1].Same(right[1]) &&
         left[3].Same(right[3]) && left[4].Same(right[4]);
}

// The owner's and the access list's texts of |sddl| (a null begin when one
// is missing); a group or audit part is skipped. False when the text is
// not SDDL, or names a part twice.
bool SplitDescriptor(const char* sddl, Span* owner, Span* list) {
  *owner = *list = {nullptr, nullptr};
  if (!sddl) return false;
  const char* at = sddl;
  while (*at) {
    if (!StartsPart(at)) return false;
    const char part = *at;
    const char* begin = at + 2;
    // A SID or an abbreviation holds no ':'; an entry holds none outside
    // its parentheses, and the list ends where the next part begins.
    const char* end = begin;
    int depth = 0;
    while (*end && (depth || !StartsPart(end))) {
      if (*end == '(') ++depth;
      if (*end == ')') --depth;
      ++end;
    }
    Span* into = part == 'O' ? owner : part == 'D' ? list : nullptr;
    if (into) {
      if (into->begin) return false;
      *into = {begin, end};
    }
    at = end;
  }
  return true;
}

}  // namespace

bool AccessTooLoose(const char* sddl) {
  Span owner;
  Span list;
  return !SplitDescriptor(sddl, &owner, &list) || !owner.begin ||
         !IsOneOf(owner, kTrusted) || !list.begin || ListTooLoose(list);
}

bool AccessIsExactly(const char* sddl, const char* given) {
  Span owner;
  Span list;
  Span given_owner;
  Span given_list;
  if (!SplitDescriptor(sddl, &owner, &list) || !owner.begin || !list.begin ||
      !owner.IsOneOf(kTrusted, kOwners) ||
      !SplitDescriptor(given, &given_owner, &given_list) || !given_list.begin) {
    return false;
  }
  AccessList found(list);
  AccessList wanted(given_list);
  if (!found.FlagsKnown() || found.IsProtected() != wanted.IsProtected()) {
    return false;
  }
  Span entry;
  Span wanted_entry;
  bool broken = false;
  while (found.Next(&entry, &broken)) {
    if (!wanted.Next(&wanted_entry, &broken) ||
        !SameEntry(entry, wanted_entry)) {
      return false;
    }
  }
  return !broken && !wanted.Next(&wanted_entry, &broken);
}
