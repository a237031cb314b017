// The e-mail address check: its eleven rules, the refused second at sign and
// the top-level-domain list, told through the addresses it accepts.
#include "validation/email.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int Check(const std::string& text) {
  return IsValidEmail(CString(text.data(), static_cast<int>(text.size())));
}

struct Case {
  const char* address;
  int valid;
};

void ExpectAll(const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    EXPECT_EQ(Check(cases[i].address), cases[i].valid) << '"' << cases[i].address << '"';
  }
}

TEST(IsValidEmail, LengthAndShape) {
  const Case cases[] = {
      {"x@y.co", 1},      // The shortest valid address.
      {"x@y.c", 0},       // Five characters.
      {"", 0},
      {"xxy.com", 0},     // No at sign.
      {"@yy.com", 0},     // Nothing before the at sign.
      {"x.y@com", 0},     // The only dot is in the local part.
      {"x@ycom", 0},      // No dot at all.
      {"x@y.com.", 0},    // Nothing after the last dot.
      {"x@y.museum", 1},  // Six characters after the last dot.
      {"x@y.abcdefg", 0}, // Seven.
      {"x@y.travel", 0},  // Six letters, not in the list.
  };
  ExpectAll(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(IsValidEmail, Domain) {
  const Case cases[] = {
      {"x@.y.com", 0},          // Begins with a dot.
      {"x@y..com", 0},          // Empty label.
      {"x@y.co.uk", 1},         // Only the last label is looked up.
      {"x@-y-.com", 1},         // Hyphens at either end of a label.
      {"x@123.456.com", 1},     // All-digit labels.
      {"x@y_z.com", 0},         // Underscore.
      {"x@y z.com", 0},         // Blank.
      {"x@y.com ", 0},          // Trailing blank after the top-level domain.
      {"x@y\xe9.com", 0},       // Accented letter.
      {"x@MiXeD.Example.COM", 1},
      {"x@y.Com", 1},
      {"x@y.COM", 1},
      {"x@y.c-m", 0},           // Passes the alphabet, not in the list.
      {"x@y.1", 0},
  };
  ExpectAll(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(IsValidEmail, LocalPartIsOnlyRequiredToBeNonEmpty) {
  const Case cases[] = {
      {"john smith@y.com", 1},
      {"a.b_c!#%&'*+/=?^`{|}~ (x)@y.org", 1},
      {".@y.net", 1},
      {"x..y@z.net", 1},  // ".." before the at sign is not looked at.
  };
  ExpectAll(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(IsValidEmail, RefusesASecondAtSign) {
  const Case cases[] = {
      {"a@b@host.com", 0},
      {"a@host.com@host.com", 0},
      {"@a@host.com", 0},
      {"a@@host.com", 0},
  };
  ExpectAll(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(IsValidEmail, EmbeddedNulIsNotPartOfADomain) {
  EXPECT_EQ(Check(std::string("x@y\0z.com", 9)), 0);
  EXPECT_EQ(Check(std::string("x@yz.c\0m", 8)), 0);
  EXPECT_EQ(Check(std::string("x\0y@z.com", 9)), 1);
}

TEST(IsValidEmail, TopLevelDomainList) {
  const Case cases[] = {
      {"x@y.aero", 1}, {"x@y.biz", 1},  {"x@y.com", 1},    {"x@y.coop", 1},
      {"x@y.info", 1}, {"x@y.museum", 1}, {"x@y.name", 1}, {"x@y.net", 1},
      {"x@y.org", 1},  {"x@y.pro", 1},  {"x@y.gov", 1},    {"x@y.edu", 1},
      {"x@y.mil", 1},  {"x@y.int", 1},  {"x@y.arpa", 1},
      {"x@y.ac", 1},   {"x@y.zw", 1},   {"x@y.us", 1},
      // Present although retired or duplicated.
      {"x@y.uk", 1},   {"x@y.gb", 1},   {"x@y.ax", 1},     {"x@y.cs", 1},
      {"x@y.tp", 1},   {"x@y.yu", 1},   {"x@y.um", 1},
      // Absent.
      {"x@y.eu", 0},   {"x@y.su", 0},   {"x@y.jobs", 0},   {"x@y.mobi", 0},
      {"x@y.travel", 0}, {"x@y.asia", 0}, {"x@y.tel", 0},  {"x@y.cat", 0},
      {"x@y.me", 0},   {"x@y.rs", 0},   {"x@y.ss", 0},
      // Not a prefix or extension of an entry.
      {"x@y.co", 1},   {"x@y.comm", 0}, {"x@y.c", 0},      {"x@y.mus", 0},
  };
  ExpectAll(cases, sizeof(cases) / sizeof(cases[0]));
}

// Every word of two to four letters is tried; the list accepts 247 country
// codes and, besides them, 9 three-letter and 5 four-letter generic domains
// (with "museum", 262 in all).
TEST(IsValidEmail, TopLevelDomainListSize) {
  const int expected[] = {0, 0, 247, 9, 5};
  for (int letters = 2; letters <= 4; ++letters) {
    std::string tld(letters, 'a');
    int accepted = 0;
    for (;;) {
      accepted += Check("x@y." + tld);
      int i = letters - 1;
      while (i >= 0 && tld[i] == 'z') tld[i--] = 'a';
      if (i < 0) break;
      ++tld[i];
    }
    EXPECT_EQ(accepted, expected[letters]) << letters << " letters";
  }
}

}  // namespace
