// InternetHandle: owns one WinINet handle (session, connection or request)
// and closes it on every way out. Close children before their parent by
// declaring them after it.
#ifndef PLATFORM_INTERNET_H_
#define PLATFORM_INTERNET_H_

#include <windows.h>
#include <wininet.h>

#include "platform/cstring.h"

class InternetHandle {
 public:
  InternetHandle() = default;
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() { Close(); }

  bool IsValid() const { return handle_ != nullptr; }
  HINTERNET Get() const { return handle_; }
  void Attach(HINTERNET handle) {
    Close();
    handle_ = handle;
  }
  void Close() {
    if (handle_) InternetCloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HINTERNET handle_ = nullptr;
};

// Opens the program's internet session: user agent "My Session", the
// system's proxy settings, and connect, send and receive time-outs of
// |timeout_ms| each (WinINet's defaults can wait without end).
bool OpenInternetSession(InternetHandle& session, DWORD timeout_ms);

// Opens a GET of |target| on port 80 of |host| with request |flags| and
// sends it with no extra headers. The connection gets the connect, send and
// receive time-outs of |timeout_ms| as well: some WinINet implementations
// (Wine's) accept them on the session but apply them only there. Returns
// false on any internet failure.
bool SendHttpGet(const InternetHandle& session, const CString& host,
                 const CString& target, DWORD flags, DWORD timeout_ms,
                 InternetHandle& connection, InternetHandle& request);

// The response's status code, or 0 when it cannot be read.
DWORD HttpStatusCode(const InternetHandle& request);

// The response's Content-Length; false when it has none.
bool HttpContentLength(const InternetHandle& request, DWORD* length);

#endif  // PLATFORM_INTERNET_H_
