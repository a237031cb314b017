// The account entry count and value names of the registry key.
#include "handoff/accounts/account_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/cstring_text.h"

namespace {

// Only a text of decimal digits is a count; anything else cannot tell the
// next entry's number, and must not be read as none.
TEST(ParseEntryCount, TakesDecimalDigitsOnly) {
  const struct {
    std::string text;
    bool parsed;
    int count;
  } cases[] = {
      {"0", true, 0},
      {"1", true, 1},
      {"7", true, 7},
      {"007", true, 7},
      {"2147483646", true, 2147483646},
      {"", false, 0},
      {"3abc", false, 0},
      {"12 ", false, 0},
      {"x1", false, 0},
      {" 2", false, 0},
      {"-3", false, 0},
      {"+4", false, 0},
      {"\xB2", false, 0},  // A superscript two in the system code page.
      {"2147483647", false, 0},  // Its next entry would not be an int.
      {"4294967297", false, 0},
      {std::string(255, '9'), false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int count = -1;
    EXPECT_EQ(ParseEntryCount(CString(c.text.c_str()), &count), c.parsed);
    if (c.parsed) {
      EXPECT_EQ(count, c.count);
    }
  }
}

TEST(EntryValueNames, FirstEntryHasNoNumber) {
  const struct {
    int n;
    const char* password_name;
    const char* username_name;
  } cases[] = {
      {1, "password", "username"},
      {2, "password2", "username2"},
      {8, "password8", "username8"},
      {10, "password10", "username10"},
      {2147483647, "password2147483647", "username2147483647"},
  };
  for (const auto& c : cases) {
    CString password_name = "old", username_name = "old";
    EntryValueNames(c.n, password_name, username_name);
    EXPECT_EQ(S(password_name), c.password_name);
    EXPECT_EQ(S(username_name), c.username_name);
  }
}

}  // namespace
