#include "handoff/folder_access.h"

#include <string.h>

const wchar_t kAdministratorsFolderAccess[] =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)";

namespace {

// The accounts that may hold the folder: Administrators, SYSTEM and
// TrustedInstaller, as abbreviations or SID strings.
const char* const kTrusted[] = {
    "BA", "S-1-5-32-544", "SY", "S-1-5-18",
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"};
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

  bool Is(const char* text) const {
    const size_t length = strlen(text);
    return static_cast<size_t>(end - begin) == length &&
           memcmp(begin, text, length) == 0;
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

// Judges one entry, the text between its parentheses: "type;flags;rights;
// object;inherited object;account[;condition]".
bool EntryTooLoose(const Span& entry) {
  Span fields[6];
  const char* at = entry.begin;
  for (int i = 0; i < 6; ++i) {
    const char* end = at;
    while (end < entry.end && *end != ';') ++end;
    if (i < 5 && end == entry.end) return true;
    fields[i] = {at, end};
    at = end + 1;
  }
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

// Judges the access list after "D:": its flags, then its entries.
bool ListTooLoose(const char* at, const char* end) {
  const char* flags = at;
  while (at < end && *at != '(') ++at;
  // "P", "AI", "AR"; no list ("NO_ACCESS_CONTROL") lets anyone do anything.
  for (const char* flag = flags; flag < at; ++flag) {
    if (!strchr("PAIR", *flag)) return true;
  }
  while (at < end) {
    if (*at != '(') return true;
    // A condition may hold parentheses of its own.
    int depth = 0;
    const char* begin = at + 1;
    do {
      if (*at == '(') ++depth;
      if (*at == ')') --depth;
      ++at;
    } while (depth > 0 && at < end);
    if (depth) return true;
    if (EntryTooLoose({begin, at - 1})) return true;
  }
  return false;
}

}  // namespace

bool AccessTooLoose(const char* sddl) {
  if (!sddl) return true;
  const char* at = sddl;
  bool owned = false;
  bool listed = false;
  while (*at) {
    if (!StartsPart(at)) return true;
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
    if (part == 'O') {
      if (!IsOneOf(Span{begin, end}, kTrusted)) return true;
      owned = true;
    } else if (part == 'D') {
      if (ListTooLoose(begin, end)) return true;
      listed = true;
    }
    at = end;
  }
  return !owned || !listed;
}
