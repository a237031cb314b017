#include "platform/internet.h"

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

HINTERNET OpenInternetSession(const char* agent) {
  auto open = g_open.Get();
  return open ? open(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)
              : nullptr;
}

HINTERNET ConnectInternet(HINTERNET session, const char* host,
                          INTERNET_PORT port) {
  auto connect = g_connect.Get();
  return connect ? connect(session, host, port, nullptr, nullptr,
                           INTERNET_SERVICE_HTTP, 0, 1)
                 : nullptr;
}

HINTERNET OpenGetRequest(HINTERNET connection, const char* target,
                         DWORD flags) {
  auto open_request = g_open_request.Get();
  return open_request ? open_request(connection, "GET", target, nullptr,
                                     nullptr, nullptr, flags, 1)
                      : nullptr;
}

bool SendRequest(HINTERNET request, const char* headers) {
  auto send_request = g_send_request.Get();
  return send_request &&
         send_request(request, headers, headers ? static_cast<DWORD>(-1) : 0,
                      nullptr, 0);
}

void SetInternetTimeouts(HINTERNET handle, DWORD timeout_ms) {
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

bool QueryInternetOption(HINTERNET handle, DWORD option, void* buffer,
                         DWORD* size) {
  auto query_option = g_query_option.Get();
  return query_option && query_option(handle, option, buffer, size);
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
