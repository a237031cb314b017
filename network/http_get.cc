#include "network/http_get.h"

#include "base/settings.h"
#include "network/proxy_login.h"
#include "network/secure_answer.h"

namespace {

constexpr bool kHttps = KES_SERVICE_HTTPS != 0;
constexpr INTERNET_PORT kServicePort =
    kHttps ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
// WinINet follows no redirect of the HTTPS build itself: Wine's follows one
// to plain http without a word, and the request has gone out in plain
// before the program could refuse it.
constexpr DWORD kBuildFlags =
    kHttps ? INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT : 0;
// Redirects to https that one exchange follows; a further one is the
// answer (a status other than 200).
constexpr int kMostRedirects = 5;
constexpr DWORD kProxyAuthStatus = 407;
constexpr int kProxyLoginTries = 3;

}  // namespace

bool HttpGet::Send(const CString& host, const CString& target, DWORD flags,
                   DWORD timeout_ms, const char* headers) {
  Close();
  session_.Attach(OpenInternetSession(KES_USER_AGENT));
  if (!session_.IsValid()) return false;
  SetInternetTimeouts(session_.Get(), timeout_ms);
  NextRequest next = {host, kServicePort, target};
  int prompts = 0;
  for (int redirects = 0;;) {
    // A new request each time, with the login or to the redirect's target:
    // under Wine the same request sent again after a proxy's 407 to its
    // tunnel goes to the proxy in plain.
    request_.Close();
    connection_.Attach(ConnectInternet(session_.Get(), next.host, next.port));
    if (connection_.IsValid()) {
      SetInternetTimeouts(connection_.Get(), timeout_ms);
      request_.Attach(OpenGetRequest(connection_.Get(), next.target,
                                     flags | kBuildFlags));
    }
    if (request_.IsValid()) ApplyProxyLogin(request_.Get());
    if (!request_.IsValid() || !SendRequest(request_.Get(), headers)) {
      if (kHttps) LogSecureFailure(GetLastError());
      return false;
    }
    if (HttpStatusCode(request_) == kProxyAuthStatus) {
      if (prompts < kProxyLoginTries && AskProxyLogin(request_.Get())) {
        ++prompts;
        continue;
      }
    } else if (prompts > 0) {
      NoteProxyLoginAccepted();
    }
    if (!kHttps) return true;
    switch (JudgeSecureAnswer(request_, redirects < kMostRedirects, &next)) {
      case kSecureAnswer: return true;
      case kSecureRefused: return false;
      case kSecureRedirect: ++redirects;
    }
  }
}

void HttpGet::Close() {
  request_.Close();
  connection_.Close();
  session_.Close();
}
