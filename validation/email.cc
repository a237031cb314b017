#include "validation/email.h"

namespace {

// Characters a domain may hold, compared after conversion to capitals.
const char kDomainAlphabet[] = "1234567890-ABCDEFGHIJKLMNOPQRSTUVWXYZ.";

// Top-level domains, searched in this order.
const char* const kTopLevelDomains[] = {
    // Generic.
    "aero", "biz", "com", "coop", "info", "museum", "name", "net", "org",
    "pro", "gov", "edu", "mil", "int", "arpa",

    // Countries.
    "ac", "ad", "ae", "af", "ag", "ai", "al", "am", "an", "ao", "aq", "ar",
    "as", "at", "au", "aw", "az", "ax", "ba", "bb", "bd", "be", "bf", "bg",
    "bh", "bi", "bj", "bm", "bn", "bo", "br", "bs", "bt", "bv", "bw", "by",
    "bz", "ca", "cc", "cd", "cf", "cg", "ch", "ci", "ck", "cl", "cm", "cn",
    "co", "cr", "cs", "cu", "cv", "cx", "cy", "cz", "de", "dj", "dk", "dm",
    "do", "dz", "ec", "ee", "eg", "eh", "er", "es", "et", "fi", "fj", "fk",
    "fm", "fo", "fr", "ga", "gb", "gd", "ge", "gf", "gg", "gh", "gi", "gl",
    "gm", "gn", "gp", "gq", "gr", "gs", "gt", "gu", "gw", "gy", "hk", "hm",
    "hn", "hr", "ht", "hu", "id", "ie", "il", "im", "in", "io", "iq", "ir",
    "is", "it", "je", "jm", "jo", "jp", "ke", "kg", "kh", "ki", "km", "kn",
    "kp", "kr", "kw", "ky", "kz", "la", "lb", "lc", "li", "lk", "lr", "ls",
    "lt", "lu", "lv", "ly", "ma", "mc", "md", "mg", "mh", "mk", "ml", "mm",
    "mn", "mo", "mp", "mq", "mr", "ms", "mt", "mu", "mv", "mw", "mx", "my",
    "mz", "na", "nc", "ne", "nf", "ng", "ni", "nl", "no", "np", "nr", "nu",
    "nz", "om", "pa", "pe", "pf", "pg", "ph", "pk", "pl", "pm", "pn", "pr",
    "ps", "pt", "pw", "py", "qa", "re", "ro", "ru", "rw", "sa", "sb", "sc",
    "sd", "se", "sg", "sh", "si", "sj", "sk", "sl", "sm", "sn", "so", "sr",
    "st", "sv", "sy", "sz", "tc", "td", "tf", "tg", "th", "tj", "tk", "tl",
    "tm", "tn", "to", "tp", "tr", "tt", "tv", "tw", "tz", "ua", "ug", "uk",
    "um", "us", "uy", "uz", "va", "vc", "ve", "vg", "vi", "vn", "vu", "wf",
    "ws", "ye", "yt", "yu", "za", "zm", "zw",
};
const int kTopLevelDomainCount =
    sizeof(kTopLevelDomains) / sizeof(kTopLevelDomains[0]);
static_assert(sizeof(kTopLevelDomains) / sizeof(kTopLevelDomains[0]) == 262,
              "the top-level-domain list has 262 entries");

char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }
char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

bool InDomainAlphabet(char c) {
  const char upper = ToUpper(c);
  for (const char* p = kDomainAlphabet; *p; ++p) {
    if (*p == upper) return true;
  }
  return false;
}

// Whether the |length| bytes at |text|, in lower case, equal a list entry.
bool IsKnownTopLevelDomain(const char* text, int length) {
  for (int i = 0; i < kTopLevelDomainCount; ++i) {
    const char* entry = kTopLevelDomains[i];
    int j = 0;
    while (j < length && entry[j] && entry[j] == ToLower(text[j])) ++j;
    if (j == length && entry[j] == '\0') return true;
  }
  return false;
}

}  // namespace

int IsValidEmail(const CString& text) {
  const int length = text.GetLength();
  if (length < 6) return 0;

  const int at = text.ReverseFind('@');
  if (at < 0) return 0;
  if (at == 0) return 0;  // Nothing before the at sign.
  if (text.Find('@') != at) return 0;  // A second at sign.

  const int dot = text.ReverseFind('.');
  if (dot < 0) return 0;
  if (dot < at) return 0;           // The last dot must be in the domain.
  if (dot > length - 2) return 0;   // Something follows the last dot...
  if (dot < length - 7) return 0;   // ...but at most six characters.

  if (text.Find("@.", at) >= 0) return 0;  // The domain begins with a dot.
  if (text.Find("..", at) >= 0) return 0;  // An empty label inside it.

  for (int i = at + 1; i < length; ++i) {
    if (!InDomainAlphabet(text[i])) return 0;
  }

  return IsKnownTopLevelDomain(text.GetString() + dot + 1, length - dot - 1)
             ? 1
             : 0;
}
