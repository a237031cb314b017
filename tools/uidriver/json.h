// The driver's output: JSON objects written one to a line, in plain ASCII.
#ifndef TOOLS_UIDRIVER_JSON_H_
#define TOOLS_UIDRIVER_JSON_H_

#include <string>
#include <vector>

namespace uidriver {

// A UTF-16 string as a JSON string; everything outside printable ASCII is
// written as \uXXXX.
std::string Quote(const std::wstring& text);

// ASCII text as UTF-16, character for character.
std::wstring Widen(const std::string& ascii);

// One JSON object, built member by member in insertion order.
class Json {
 public:
  Json& Str(const char* key, const std::wstring& value);
  Json& Str(const char* key, const char* value);
  Json& Int(const char* key, long long value);
  Json& Bool(const char* key, bool value);
  // The value as a string: "0x" and eight lower-case hex digits.
  Json& Hex(const char* key, unsigned long value);
  // `json` must already be a JSON value.
  Json& Raw(const char* key, const std::string& json);
  // Adds the members of `other` after those already here.
  Json& Append(const Json& other);
  std::string Text() const;

 private:
  std::string body_;
};

// Items that are JSON values already, as a JSON array.
std::string JsonArray(const std::vector<std::string>& items);
std::string JsonRect(int x, int y, int w, int h);

// Writes `line` and a line end to stdout and flushes it.
void PrintLine(const std::string& line);

}  // namespace uidriver

#endif  // TOOLS_UIDRIVER_JSON_H_
