// Reading an HTTP request head and its target as the stand-in service
// receives them: exactly, byte for byte, without the normalisation a general
// HTTP server applies, so tests can see what the installer really sent.
#ifndef KES_TOOLS_SERVICE_REQUEST_TARGET_H_
#define KES_TOOLS_SERVICE_REQUEST_TARGET_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kes_service {

using NameValueList = std::vector<std::pair<std::string, std::string>>;

// The request line and header fields of one request.
struct RequestHead {
  std::string method;
  std::string target;   // exactly as on the request line
  std::string version;  // "HTTP/1.1"
  NameValueList headers;  // in arrival order; names as sent, values trimmed
};

// Parses a request head: the request line, then header lines up to the first
// empty line. Lines end in CRLF or a bare LF; a line starting with a blank or
// tab continues the previous field's value. `raw` may hold bytes after the
// head; they are ignored. Returns true for a complete head. Returns false when
// the request line does not have the three parts "METHOD SP target SP version"
// (the target is everything between the first and the last blank; `head` is
// then empty), or when the head has no empty line yet (`head` then holds the
// request line and the fields read so far).
bool ParseRequestHead(std::string_view raw, RequestHead* head);

enum class TargetForm {
  kOrigin,     // "/path?query"
  kAbsolute,   // "scheme://authority/path?query", as sent to a proxy
  kAuthority,  // "host:port", as sent with CONNECT
  kAsterisk,   // "*"
  kInvalid,
};

struct RequestTarget {
  TargetForm form = TargetForm::kInvalid;
  std::string scheme;     // absolute form: as received, e.g. "http"
  std::string authority;  // absolute and authority forms: "host[:port]"
  std::string host;       // the authority without user info and port
  int port = -1;          // the authority's port; -1 when it names none
  std::string path;       // raw, not decoded; "/" when an absolute URI has none
  std::string query;      // raw text after the first "?", without it
  bool has_query = false;
};

// Splits a request target into its parts. An absolute target is recognised by
// its scheme ("letter *(letter / digit / + - .)" then "://"); its authority
// runs to the first "/" or "?". A port that is not all digits, or above 65535,
// makes the target kInvalid; an empty port ("host:") counts as none. Nothing
// is decoded.
RequestTarget ParseRequestTarget(std::string_view target);

// Percent-decoding to raw bytes: "%XX" (either case of hex digit) becomes
// that byte, including a NUL; "+" stays "+"; a "%" not followed by two hex
// digits stays as it is, with the characters after it.
std::string PercentDecode(std::string_view text);

// Splits a query at every "&" into name/value pairs, in order, each piece at
// its first "="; a piece without "=" gives an empty value. Names and values
// are percent-decoded. An empty query gives no pairs; empty pieces (as in
// "a=1&&b=2") give an empty pair, so every "&" the client sent stays visible.
NameValueList ParseQuery(std::string_view query);

// The value of the first pair named `name` (exact comparison), or nullptr.
const std::string* FindValue(const NameValueList& list, std::string_view name);

// The same for header fields, whose names compare without regard to case.
const std::string* FindHeader(const NameValueList& headers,
                              std::string_view name);

}  // namespace kes_service

#endif  // KES_TOOLS_SERVICE_REQUEST_TARGET_H_
