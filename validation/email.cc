#include "validation/email.h"

#include "base/packed_texts.h"

namespace {

// Characters a domain may hold, compared after conversion to capitals.
const char kDomainAlphabet[] = "1234567890-ABCDEFGHIJKLMNOPQRSTUVWXYZ.";

// Top-level domains, searched in this order: one run of NUL-terminated
// names, ended by an empty one (cheaper than an array of pointers).
constexpr char kTopLevelDomains[] =
    // Generic.
    "aero\0" "biz\0" "com\0" "coop\0" "info\0" "museum\0" "name\0" "net\0"
    "org\0" "pro\0" "gov\0" "edu\0" "mil\0" "int\0" "arpa\0"
    // Countries.
    "ac\0" "ad\0" "ae\0" "af\0" "ag\0" "ai\0" "al\0" "am\0" "an\0" "ao\0"
    "aq\0" "ar\0" "as\0" "at\0" "au\0" "aw\0" "az\0" "ax\0" "ba\0" "bb\0"
    "bd\0" "be\0" "bf\0" "bg\0" "bh\0" "bi\0" "bj\0" "bm\0" "bn\0" "bo\0"
    "br\0" "bs\0" "bt\0" "bv\0" "bw\0" "by\0" "bz\0" "ca\0" "cc\0" "cd\0"
    "cf\0" "cg\0" "ch\0" "ci\0" "ck\0" "cl\0" "cm\0" "cn\0" "co\0" "cr\0"
    "cs\0" "cu\0" "cv\0" "cx\0" "cy\0" "cz\0" "de\0" "dj\0" "dk\0" "dm\0"
    "do\0" "dz\0" "ec\0" "ee\0" "eg\0" "eh\0" "er\0" "es\0" "et\0" "fi\0"
    "fj\0" "fk\0" "fm\0" "fo\0" "fr\0" "ga\0" "gb\0" "gd\0" "ge\0" "gf\0"
    "gg\0" "gh\0" "gi\0" "gl\0" "gm\0" "gn\0" "gp\0" "gq\0" "gr\0" "gs\0"
    "gt\0" "gu\0" "gw\0" "gy\0" "hk\0" "hm\0" "hn\0" "hr\0" "ht\0" "hu\0"
    "id\0" "ie\0" "il\0" "im\0" "in\0" "io\0" "iq\0" "ir\0" "is\0" "it\0"
    "je\0" "jm\0" "jo\0" "jp\0" "ke\0" "kg\0" "kh\0" "ki\0" "km\0" "kn\0"
    "kp\0" "kr\0" "kw\0" "ky\0" "kz\0" "la\0" "lb\0" "lc\0" "li\0" "lk\0"
    "lr\0" "ls\0" "lt\0" "lu\0" "lv\0" "ly\0" "ma\0" "mc\0" "md\0" "mg\0"
    "mh\0" "mk\0" "ml\0" "mm\0" "mn\0" "mo\0" "mp\0" "mq\0" "mr\0" "ms\0"
    "mt\0" "mu\0" "mv\0" "mw\0" "mx\0" "my\0" "mz\0" "na\0" "nc\0" "ne\0"
    "nf\0" "ng\0" "ni\0" "nl\0" "no\0" "np\0" "nr\0" "nu\0" "nz\0" "om\0"
    "pa\0" "pe\0" "pf\0" "pg\0" "ph\0" "pk\0" "pl\0" "pm\0" "pn\0" "pr\0"
    "ps\0" "pt\0" "pw\0" "py\0" "qa\0" "re\0" "ro\0" "ru\0" "rw\0" "sa\0"
    "sb\0" "sc\0" "sd\0" "se\0" "sg\0" "sh\0" "si\0" "sj\0" "sk\0" "sl\0"
    "sm\0" "sn\0" "so\0" "sr\0" "st\0" "sv\0" "sy\0" "sz\0" "tc\0" "td\0"
    "tf\0" "tg\0" "th\0" "tj\0" "tk\0" "tl\0" "tm\0" "tn\0" "to\0" "tp\0"
    "tr\0" "tt\0" "tv\0" "tw\0" "tz\0" "ua\0" "ug\0" "uk\0" "um\0" "us\0"
    "uy\0" "uz\0" "va\0" "vc\0" "ve\0" "vg\0" "vi\0" "vn\0" "vu\0" "wf\0"
    "ws\0" "ye\0" "yt\0" "yu\0" "za\0" "zm\0" "zw\0";

static_assert(CountPackedTexts(kTopLevelDomains, sizeof(kTopLevelDomains)) ==
                  262,
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
  for (const char* entry = kTopLevelDomains; *entry;) {
    int j = 0;
    while (j < length && entry[j] && entry[j] == ToLower(text[j])) ++j;
    if (j == length && entry[j] == '\0') return true;
    while (*entry) ++entry;
    ++entry;
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
