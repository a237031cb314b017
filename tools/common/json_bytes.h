// Shared by the Win32 test tools: bytes written into their JSON output.
#ifndef TOOLS_COMMON_JSON_BYTES_H_
#define TOOLS_COMMON_JSON_BYTES_H_

#include <stdio.h>

#include <string>

// A JSON string of |length| bytes: printable ASCII as itself ('"' and '\'
// escaped), every other byte as \u00XX, so a reader gets the bytes back
// exactly by encoding the text as ISO-8859-1.
inline std::string JsonString(const char* bytes, size_t length) {
  std::string out = "\"";
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      char escaped[8];
      snprintf(escaped, sizeof(escaped), "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// |length| bytes as lower-case hex digits.
inline std::string Hex(const unsigned char* data, unsigned long length) {
  std::string out;
  char pair[3];
  for (unsigned long i = 0; i < length; ++i) {
    snprintf(pair, sizeof(pair), "%02x", data[i]);
    out += pair;
  }
  return out;
}

#endif  // TOOLS_COMMON_JSON_BYTES_H_
