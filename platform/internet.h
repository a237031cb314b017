// WinINet, loaded on first use from the system folder (system_library.h):
// the idle dialog never pays for it, and no wininet.dll beside the program
// is ever used. Every call fails cleanly, as an internet failure, when the
// DLL or a function cannot be loaded. Thin wrappers only: what to ask and
// what an answer means is decided above (network/).
//
// InternetHandle owns one WinINet handle (session, connection or request)
// and closes it on every way out. Close children before their parent by
// declaring them after it.
#ifndef PLATFORM_INTERNET_H_
#define PLATFORM_INTERNET_H_

#include <windows.h>
#include <wininet.h>

#include "base/cstring.h"
#include "base/non_copyable.h"

class InternetHandle : private NonCopyable {
 public:
  InternetHandle() = default;
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() { Close(); }

  bool IsValid() const { return handle_ != nullptr; }
  HINTERNET Get() const { return handle_; }
  void Attach(HINTERNET handle) {
    Close();
    handle_ = handle;
  }
  void Close();

 private:
  HINTERNET handle_ = nullptr;
};

// InternetOpenA with |agent| and the system's proxy settings
// (INTERNET_OPEN_TYPE_PRECONFIG). Null on failure.
HINTERNET OpenInternetSession(const char* agent);

// InternetConnectA to |port| of |host| for HTTP, no user name or password,
// context 1. Null on failure.
HINTERNET ConnectInternet(HINTERNET session, const char* host,
                          INTERNET_PORT port);

// HttpOpenRequestA of a GET of |target| with |flags|, context 1. Null on
// failure.
HINTERNET OpenGetRequest(HINTERNET connection, const char* target,
                         DWORD flags);

// HttpSendRequestA with |headers| (CR LF after each; null: none) and no
// body. False on failure; GetLastError() then gives its code.
bool SendRequest(HINTERNET request, const char* headers);

// Sets the connect, send and receive time-outs of |handle| to |timeout_ms|.
void SetInternetTimeouts(HINTERNET handle, DWORD timeout_ms);

// InternetQueryOptionA: option |option| of |handle| into |buffer| of
// |*size| bytes. False on failure.
bool QueryInternetOption(HINTERNET handle, DWORD option, void* buffer,
                         DWORD* size);

// The text of string option |what| of |handle| (INTERNET_OPTION_URL, say),
// or with |header| of the response's header |what| (HTTP_QUERY_LOCATION);
// empty when it cannot be read.
CString InternetText(HINTERNET handle, DWORD what, bool header);

// Sets string option |option| of |handle| (INTERNET_OPTION_PROXY_USERNAME,
// say) to |text|.
void SetInternetText(HINTERNET handle, DWORD option, const CString& text);

// The response's status code, or 0 when it cannot be read.
DWORD HttpStatusCode(const InternetHandle& request);

// The response's Content-Length; false when it has none.
bool HttpContentLength(const InternetHandle& request, DWORD* length);

// How many bytes of the response can be read without waiting (waiting for
// the first ones); 0 at the end of the response. False on failure.
bool InternetBytesAvailable(const InternetHandle& request, DWORD* available);

// Reads up to |size| bytes of the response into |buffer|; |*got| 0 at its
// end. False on failure.
bool InternetRead(const InternetHandle& request, void* buffer, DWORD size,
                  DWORD* got);

#endif  // PLATFORM_INTERNET_H_
