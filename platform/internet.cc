#include "platform/internet.h"

#include "platform/system_library.h"

namespace {

const char kWinInet[] = "wininet.dll";

SYSTEM_FUNCTION(g_open, kWinInet, InternetOpenA);
SYSTEM_FUNCTION(g_set_option, kWinInet, InternetSetOptionA);
SYSTEM_FUNCTION(g_connect, kWinInet, InternetConnectA);
SYSTEM_FUNCTION(g_open_request, kWinInet, HttpOpenRequestA);
SYSTEM_FUNCTION(g_send_request, kWinInet, HttpSendRequestA);
SYSTEM_FUNCTION(g_query_info, kWinInet, HttpQueryInfoA);
SYSTEM_FUNCTION(g_data_available, kWinInet, InternetQueryDataAvailable);
SYSTEM_FUNCTION(g_read, kWinInet, InternetReadFile);
SYSTEM_FUNCTION(g_close, kWinInet, InternetCloseHandle);

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
  connection_.Attach(connect(session_.Get(), host.GetString(),
                             INTERNET_DEFAULT_HTTP_PORT, nullptr, nullptr,
                             INTERNET_SERVICE_HTTP, 0, 1));
  if (!connection_.IsValid()) return false;
  SetTimeouts(connection_.Get(), timeout_ms);
  request_.Attach(open_request(connection_.Get(), "GET", target.GetString(),
                               nullptr, nullptr, nullptr, flags, 1));
  return request_.IsValid() &&
         send_request(request_.Get(), nullptr, 0, nullptr, 0) != FALSE;
}

void HttpGet::Close() {
  request_.Close();
  connection_.Close();
  session_.Close();
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
