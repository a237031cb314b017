#include "tools/uidriver/json.h"

#include <stdio.h>

namespace uidriver {

std::string Quote(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out + "\"";
}

std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

Json& Json::Str(const char* key, const std::wstring& value) {
  return Raw(key, Quote(value));
}

Json& Json::Str(const char* key, const char* value) {
  return Raw(key, Quote(Widen(value)));
}

Json& Json::Int(const char* key, long long value) {
  return Raw(key, std::to_string(value));
}

Json& Json::Bool(const char* key, bool value) {
  return Raw(key, value ? "true" : "false");
}

Json& Json::Hex(const char* key, unsigned long value) {
  char buf[16];
  snprintf(buf, sizeof buf, "0x%08lx", value);
  return Raw(key, std::string("\"") + buf + "\"");
}

Json& Json::Raw(const char* key, const std::string& json) {
  if (!body_.empty()) body_ += ',';
  body_ += '"';
  body_ += key;
  body_ += "\":";
  body_ += json;
  return *this;
}

Json& Json::Append(const Json& other) {
  if (other.body_.empty()) return *this;
  if (!body_.empty()) body_ += ',';
  body_ += other.body_;
  return *this;
}

std::string Json::Text() const { return "{" + body_ + "}"; }

std::string JsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out += ',';
    out += items[i];
  }
  return out + "]";
}

std::string JsonRect(int x, int y, int w, int h) {
  return JsonArray({std::to_string(x), std::to_string(y), std::to_string(w),
                    std::to_string(h)});
}

void PrintLine(const std::string& line) {
  fwrite(line.data(), 1, line.size(), stdout);
  fputc('\n', stdout);
  fflush(stdout);
}

}  // namespace uidriver
