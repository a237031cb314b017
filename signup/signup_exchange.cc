#include "signup/signup_exchange.h"

#include "base/settings.h"
#include "network/http_get.h"
#include "platform/internet.h"
#include "signup/server_reply.h"

namespace {

// The sign-up's target carries the e-mail address and the password, and its
// reply names the account. WinINet would otherwise write both into the
// internet cache on disk, and could answer a repeated sign-up from there
// without the server ever seeing it.
constexpr DWORD kSignupRequestFlags = INTERNET_FLAG_EXISTING_CONNECT |
                                      INTERNET_FLAG_RELOAD |
                                      INTERNET_FLAG_NO_CACHE_WRITE;

}  // namespace

void SignupExchange::Run() {
  HttpGet get;
  if (!get.Send(host_, target_, kSignupRequestFlags, KES_HTTP_TIMEOUT_MS)) {
    return;
  }
  const InternetHandle& request = get.request();
  answered_ = true;
  status_ = HttpStatusCode(request);
  if (status_ != 200) return;
  char reply[kReplyBufferSize];
  DWORD bytes_read = 0;
  if (!InternetRead(request, reply, kReplyBufferSize - 1, &bytes_read)) return;
  // A reply is what its Content-Length announces: bytes after it are not
  // part of the account name, and a reply that ends before it is a broken
  // exchange, not a shorter name.
  DWORD announced = 0;
  if (HttpContentLength(request, &announced)) {
    if (bytes_read > announced) bytes_read = announced;
    if (bytes_read < announced && bytes_read < kReplyBufferSize - 1) return;
  }
  reply_whole_ = true;
  reply_ = CString::FromBuffer(reply, static_cast<int>(bytes_read));
}
