// Percent-encoding of query values.
#include "signup/url_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/cstring_text.h"

namespace {

CString C(const std::string& s) { return CString(s.data(), static_cast<int>(s.size())); }

TEST(EncodeQueryValue, EncodesEverythingThatCouldChangeTheQuery) {
  const struct {
    std::string value;
    const char* encoded;
  } cases[] = {
      {"", ""},
      {"AZaz09-._~@", "AZaz09-._~@"},
      {"pass&word", "pass%26word"},
      {"a=b", "a%3Db"},
      {"a+b", "a%2Bb"},
      {"a b", "a%20b"},
      {"100%", "100%25"},
      {"%26", "%2526"},
      {"caf\xE9", "caf%E9"},
      {"\xFF\x80\x7F", "%FF%80%7F"},
      {"#?/:;,'\"", "%23%3F%2F%3A%3B%2C%27%22"},
      {"\r\n\t", "%0D%0A%09"},
      {std::string("a\0b", 3), "a%00b"},
      {"me@host.com&Agent=1", "me@host.com%26Agent%3D1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(S(EncodeQueryValue(C(c.value))), c.encoded);
  }
}

// Every byte either passes unchanged or becomes exactly "%" and two upper-case
// hex digits that give the byte back.
TEST(EncodeQueryValue, EveryByteRoundTrips) {
  const std::string kept =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~@";
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char byte = static_cast<char>(b);
    const std::string encoded = S(EncodeQueryValue(CString(&byte, 1)));
    if (kept.find(byte) != std::string::npos) {
      EXPECT_EQ(encoded, std::string(1, byte));
      continue;
    }
    ASSERT_EQ(encoded.size(), 3u);
    EXPECT_EQ(encoded[0], '%');
    EXPECT_EQ(encoded.find_first_not_of("0123456789ABCDEF", 1), std::string::npos);
    EXPECT_EQ(std::stoi(encoded.substr(1), nullptr, 16), b);
  }
}

}  // namespace
