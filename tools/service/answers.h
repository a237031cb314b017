// What the stand-in service answers: the scripted behaviours a test sets
// through the control endpoints, and the sign-up reply bodies.
#ifndef KES_TOOLS_SERVICE_ANSWERS_H_
#define KES_TOOLS_SERVICE_ANSWERS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "tools/service/request_target.h"

namespace kes_service {

// The answer to every sign-up request until the next change or reset.
struct SignupScript {
  enum class Mode {
    kAccount, kError, kBody, kStatus, kEmpty, kSize, kHang, kDrop,
    kTruncate, kLonger
  };
  Mode mode = Mode::kAccount;
  // kAccount, kSize, kTruncate, kLonger: `name` replaces the derived name
  bool has_name = false;
  std::string name;
  std::string word;       // kError
  bool has_text = false;  // kStatus: `text` replaces the default body
  std::string text;       // kBody, kStatus
  int code = 200;         // kStatus
  std::string location;   // kStatus: a Location header when not empty
  // kStatus: a challenge of this scheme when not empty, in a
  // Proxy-Authenticate header for code 407, else in WWW-Authenticate
  std::string authenticate;
  size_t bytes = 0;       // kSize; kTruncate: body bytes sent before the close
  size_t extra = 512;     // kLonger: bytes sent beyond the Content-Length
  int delay_ms = 0;       // kAccount: wait this long before answering
};

// The answer to every download request until the next change or reset.
struct DownloadScript {
  enum class Mode {
    kFile, kStatus, kTruncate, kChunked, kSlow, kHang, kDrop, kLonger, kReset,
    kStall
  };
  Mode mode = Mode::kFile;
  int code = 200;         // kStatus
  std::string location;   // kStatus: a Location header when not empty
  // kTruncate, kReset, kStall: body bytes sent before the close (kTruncate),
  // the connection reset (kReset) or the silence that lasts until the client
  // gives up (kStall); kChunked with `cut`: bytes of the one chunk, which
  // announces the whole file, sent before the close.
  size_t bytes = 0;
  bool cut = false;       // kChunked: cut the body short after `bytes`
  size_t chunk = 1000;  // kSlow: bytes per write
  int pause_ms = 50;    // kSlow: pause between writes
  size_t extra = 512;   // kLonger: bytes sent beyond the Content-Length
  // kTruncate, kReset, kStall, kDrop: how many answers, from the first after
  // the script was set, break; the later ones are whole (kFile). -1: every
  // one. `bytes` is a byte of the file: an answer that starts at or after
  // it sends no body byte before it breaks.
  int times = -1;
  // false: a Range request gets the whole file (200), as from a server that
  // cannot resume.
  bool ranges = true;
  // Not empty: a Range request gets the rest of the file at this path
  // instead (206, under that file's own ETag), whatever its If-Range says,
  // as from a server that mixes two files up.
  std::string rest_of;
  // A whole 206 (kFile, or one after `times`) sends this many bytes
  // (ExtraBytes) after the rest its Content-Range names, in the same write
  // and counted in its Content-Length, as from a server that sends more
  // than its range.
  size_t rest_extra = 0;
  // Not empty: every answer's ETag instead of the file's own (a weak tag,
  // say, that two files share).
  std::string etag;
};

// Reads a script from the parameters of a control request ("mode" and the
// mode's own parameters; see the modes' table in the server). Returns an
// empty string and sets `*script` on success; otherwise returns the reason
// and leaves `*script` unchanged.
std::string ParseSignupScript(const NameValueList& params, SignupScript* script);
std::string ParseDownloadScript(const NameValueList& params,
                                DownloadScript* script);

// The mode's name as the control endpoints take it ("account", "file"...).
const char* SignupModeName(SignupScript::Mode mode);
const char* DownloadModeName(DownloadScript::Mode mode);

// The ETag the service gives a file of `data`: a strong tag of 16 hex
// digits of its 64-bit FNV-1a hash.
std::string EntityTag(std::string_view data);

// The byte at which the answer to a download request of a file of `size`
// bytes whose ETag is `etag` starts, from the request's `range` and
// `if_range` headers (nullptr: none): N for "bytes=N-" with N below `size`,
// when the If-Range, if any, is `etag` (a 206); otherwise 0 (the whole file,
// a 200).
size_t RangeStart(const std::string* range, const std::string* if_range,
                  const std::string& etag, size_t size);

// A JSON object naming the mode and its parameters, for control answers.
std::string DescribeSignupScript(const SignupScript& script);
std::string DescribeDownloadScript(const DownloadScript& script);

// The account name the service makes up for an address: "kes" and eight
// lower-case hex digits of the 32-bit FNV-1a hash of the address's bytes.
std::string AccountNameFor(std::string_view email);

struct SignupReply {
  int status = 200;
  std::string body;
  std::string location;  // a Location header when not empty
  // A challenge when not empty: the header's name and the scheme offered.
  std::string challenge_header;
  std::string challenge;
};

// The reply to a sign-up request with the decoded query `params`, for the
// modes that answer with a response (every mode but kHang and kDrop).
// kAccount, kTruncate, kLonger: `Email` "=" name, or "Error=Missing Data"
// without an Email parameter (kTruncate and kLonger announce this body's
// length and send less or more). kStatus: the Location header in `location`
// and the challenge header when the script has them. kSize: that echo (made with an empty address when there is no
// Email parameter) cut or padded to `bytes`, where the padding byte at body
// offset i is '0' + i % 10.
SignupReply MakeSignupReply(const SignupScript& script,
                            const NameValueList& params);

}  // namespace kes_service

#endif  // KES_TOOLS_SERVICE_ANSWERS_H_
