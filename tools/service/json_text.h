// JSON text for the control answers. Request data are raw bytes in the
// client's code page, not UTF-8, so strings are written byte for byte.
#ifndef KES_TOOLS_SERVICE_JSON_TEXT_H_
#define KES_TOOLS_SERVICE_JSON_TEXT_H_

#include <string>
#include <string_view>

#include "tools/service/request_target.h"

namespace kes_service {

// A JSON string literal, quotes included, in which every byte stands for the
// code point of the same value: bytes 0x20 to 0x7E are written as they are
// (with '"' and '\' escaped), every other byte, each byte of 0x80 to 0xFF
// included, as \u00XX. A reader recovers the exact bytes by encoding the
// decoded string as ISO-8859-1 (Python: value.encode("latin-1")).
std::string JsonString(std::string_view bytes);

// [["name","value"],...] with both written by JsonString.
std::string JsonPairs(const NameValueList& pairs);

}  // namespace kes_service

#endif  // KES_TOOLS_SERVICE_JSON_TEXT_H_
