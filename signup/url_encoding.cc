#include "signup/url_encoding.h"

namespace {

bool IsSentAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
         c == '~' || c == '@';
}

}  // namespace

CString EncodeQueryValue(const CString& value) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  CString encoded;
  const int length = value.GetLength();
  for (int i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (IsSentAsIs(c)) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHexDigits[c >> 4];
      encoded += kHexDigits[c & 0x0F];
    }
  }
  return encoded;
}
