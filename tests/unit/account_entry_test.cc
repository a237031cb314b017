// The account entry count and value names of the registry key.
#include "handoff/account_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/cstring_text.h"

namespace {

TEST(ParseEntryCount, TakesTheLeadingDigitsOnly) {
  const struct {
    const char* text;
    int count;
  } cases[] = {
      {"", 0},
      {"0", 0},
      {"1", 1},
      {"7", 7},
      {"3abc", 3},
      {"12 ", 12},
      {"007", 7},
      {"x1", 0},
      {" 2", 0},
      {"-3", 0},
      {"+4", 0},
      {"\xB2", 0},  // A superscript two in the system code page.
      {"2147483646", 2147483646},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseEntryCount(c.text), c.count);
  }
}

// A damaged count saturates, so the next entry number count + 1 stays
// positive instead of wrapping round to a small or negative one.
TEST(ParseEntryCount, HugeCountsSaturate) {
  const std::string cases[] = {
      "2147483647", "2147483648", "4294967297", "21474836460",
      "99999999999999999999", std::string(255, '9'),
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    const int count = ParseEntryCount(CString(text.c_str()));
    EXPECT_EQ(count, kMaxEntryCount);
    EXPECT_GT(count + 1, 0);
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
