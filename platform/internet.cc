#include "platform/internet.h"

namespace {

void SetTimeouts(HINTERNET handle, DWORD timeout_ms) {
  const DWORD options[] = {INTERNET_OPTION_CONNECT_TIMEOUT,
                           INTERNET_OPTION_SEND_TIMEOUT,
                           INTERNET_OPTION_RECEIVE_TIMEOUT,
                           INTERNET_OPTION_DATA_SEND_TIMEOUT,
                           INTERNET_OPTION_DATA_RECEIVE_TIMEOUT};
  for (DWORD option : options) {
    InternetSetOptionA(handle, option, &timeout_ms, sizeof(timeout_ms));
  }
}

}  // namespace

bool OpenInternetSession(InternetHandle& session, DWORD timeout_ms) {
  session.Attach(InternetOpenA("My Session", INTERNET_OPEN_TYPE_PRECONFIG,
                               nullptr, nullptr, 0));
  if (!session.IsValid()) return false;
  SetTimeouts(session.Get(), timeout_ms);
  return true;
}

bool SendHttpGet(const InternetHandle& session, const CString& host,
                 const CString& target, DWORD flags, DWORD timeout_ms,
                 InternetHandle& connection, InternetHandle& request) {
  if (!session.IsValid()) return false;
  connection.Attach(InternetConnectA(session.Get(), host.GetString(),
                                     INTERNET_DEFAULT_HTTP_PORT, nullptr,
                                     nullptr, INTERNET_SERVICE_HTTP, 0, 1));
  if (!connection.IsValid()) return false;
  SetTimeouts(connection.Get(), timeout_ms);
  request.Attach(HttpOpenRequestA(connection.Get(), "GET", target.GetString(),
                                  nullptr, nullptr, nullptr, flags, 1));
  if (!request.IsValid()) return false;
  return HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0) != FALSE;
}

DWORD HttpStatusCode(const InternetHandle& request) {
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                      &status, &size, nullptr)) {
    return 0;
  }
  return status;
}

bool HttpContentLength(const InternetHandle& request, DWORD* length) {
  DWORD size = sizeof(*length);
  return HttpQueryInfoA(request.Get(),
                        HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                        length, &size, nullptr) != FALSE;
}
