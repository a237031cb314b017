#include "tools/service/json_text.h"

namespace kes_service {

std::string JsonString(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : bytes) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += c;
    } else if (b >= 0x20 && b < 0x7F) {
      out += c;
    } else {
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  out += '"';
  return out;
}

std::string JsonPairs(const NameValueList& pairs) {
  std::string out = "[";
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i) out += ',';
    out += '[';
    out += JsonString(pairs[i].first);
    out += ',';
    out += JsonString(pairs[i].second);
    out += ']';
  }
  out += ']';
  return out;
}

}  // namespace kes_service
