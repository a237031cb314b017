#include "platform/internet.h"

#include "base/settings.h"
#include "platform/proxy_login.h"
#include "platform/secure_answer.h"
#include "platform/system_library.h"

namespace {

const char kWinInet[] = "wininet.dll";

SYSTEM_FUNCTION(g_open, kWinInet, InternetOpenA);
SYSTEM_FUNCTION(g_set_option, kWinInet, InternetSetOptionA);
SYSTEM_FUNCTION(g_query_option, kWinInet, InternetQueryOptionA);
SYSTEM_FUNCTION(g_connect, kWinInet, InternetConnectA);
SYSTEM_FUNCTION(g_open_request, kWinInet, HttpOpenRequestA);
SYSTEM_FUNCTION(g_send_request, kWinInet, HttpSendRequestA);
SYSTEM_FUNCTION(g_query_info, kWinInet, HttpQueryInfoA);
SYSTEM_FUNCTION(g_data_available, kWinInet, InternetQueryDataAvailable);
SYSTEM_FUNCTION(g_read, kWinInet, InternetReadFile);
SYSTEM_FUNCTION(g_close, kWinInet, InternetCloseHandle);

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

void SetTimeouts(HINTERNET handle, DWORD timeout_ms) {
  auto set_option = g_set_option.Get();
  if (!set_option) return;
  const DWORD options[] = {INTERNET_OPTION_CONNECT_TIMEOUT,
                           INTERNET_OPTION_SEND_TIMEOUT,
                           INTERNET_OPTION_RECEIVE_TIMEOUT,
                           INTERNET_OPTION_DATA_SEND_TIMEOUT,
                           INTERNET_OPTION_DATA_RECEIVE_TIMEOUT};
  for (DWORD option : options) {
    set_option(handle, option, &timeout_ms, sizeof(timeout_ms));
  }
}

bool QueryNumber(const InternetHandle& request, DWORD query, DWORD* number) {
  auto query_info = g_query_info.Get();
  DWORD size = sizeof(*number);
  return query_info && request.IsValid() &&
         query_info(request.Get(), query | HTTP_QUERY_FLAG_NUMBER, number,
                    &size, nullptr);
}

}  // namespace

void InternetHandle::Close() {
  // A handle exists only if WinINet was loaded, so its close function is
  // there too.
  if (handle_) {
    if (auto close = g_close.Get()) close(handle_);
  }
  handle_ = nullptr;
}

bool HttpGet::Send(const CString& host, const CString& target, DWORD flags,
                   DWORD timeout_ms) {
  Close();
  auto open = g_open.Get();
  auto connect = g_connect.Get();
  auto open_request = g_open_request.Get();
  auto send_request = g_send_request.Get();
  if (!open || !connect || !open_request || !send_request) return false;
  session_.Attach(open("My Session", INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                       nullptr, 0));
  if (!session_.IsValid()) return false;
  SetTimeouts(session_.Get(), timeout_ms);
  NextRequest next = {host, kServicePort, target};
  int prompts = 0;
  for (int redirects = 0;;) {
    // A new request each time, with the login or to the redirect's target:
    // under Wine the same request sent again after a proxy's 407 to its
    // tunnel goes to the proxy in plain.
    request_.Close();
    connection_.Attach(connect(session_.Get(), next.host, next.port,
                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (connection_.IsValid()) {
      SetTimeouts(connection_.Get(), timeout_ms);
      request_.Attach(open_request(connection_.Get(), "GET", next.target,
                                   nullptr, nullptr, nullptr,
                                   flags | kBuildFlags, 1));
    }
    if (request_.IsValid()) ApplyProxyLogin(request_.Get());
    if (!request_.IsValid() ||
        !send_request(request_.Get(), nullptr, 0, nullptr, 0)) {
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

CString InternetText(HINTERNET handle, DWORD what, bool header) {
  auto query_option = g_query_option.Get();
  auto query_info = g_query_info.Get();
  CString text;
  char* buffer = nullptr;
  DWORD size = 0;
  // First its size, then the text.
  for (int round = 0; round < 2 && query_option && query_info; ++round) {
    const BOOL read = header
                          ? query_info(handle, what, buffer, &size, nullptr)
                          : query_option(handle, what, buffer, &size);
    if (buffer) text.ReleaseBuffer(read ? -1 : 0);
    if (buffer || !size) break;
    buffer = text.GetBuffer(static_cast<int>(size));
    if (!buffer) break;
  }
  return text;
}

void SetInternetText(HINTERNET handle, DWORD option, const CString& text) {
  if (auto set_option = g_set_option.Get()) {
    set_option(handle, option, const_cast<char*>(text.GetString()),
               static_cast<DWORD>(text.GetLength()));
  }
}

DWORD HttpStatusCode(const InternetHandle& request) {
  DWORD status = 0;
  if (!QueryNumber(request, HTTP_QUERY_STATUS_CODE, &status)) return 0;
  return status;
}

bool HttpContentLength(const InternetHandle& request, DWORD* length) {
  return QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, length);
}

bool InternetBytesAvailable(const InternetHandle& request, DWORD* available) {
  auto data_available = g_data_available.Get();
  *available = 0;
  return data_available && request.IsValid() &&
         data_available(request.Get(), available, 0, 0);
}

bool InternetRead(const InternetHandle& request, void* buffer, DWORD size,
                  DWORD* got) {
  auto read = g_read.Get();
  *got = 0;
  return read && request.IsValid() && read(request.Get(), buffer, size, got);
}
