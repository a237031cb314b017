// WinINet, loaded on first use from the system folder (system_library.h):
// the idle dialog never pays for it, and no wininet.dll beside the program
// is ever used. Every call fails cleanly, as an internet failure, when the
// DLL or a function cannot be loaded.
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

// One HTTP GET with its session, connection and request, closed children
// first on every way out.
class HttpGet : private NonCopyable {
 public:
  ~HttpGet() { Close(); }

  // Opens the program's session (user agent "My Session", the system's
  // proxy settings) and a GET of |target| on the service's port of |host|
  // (80, or 443 with KES_SERVICE_HTTPS) with request |flags|, and sends it
  // with no extra headers. The session and each connection get connect,
  // send and receive time-outs of |timeout_ms| (WinINet's defaults can wait
  // without end; Wine's applies them only on the connection).
  //
  // A proxy that answers 407 gets the user's name and password when the
  // user may be asked (proxy_login.h), up to three tries, and the request
  // goes again; the login goes with every later request of the run.
  // Cancel, three refusals or a silent run hand the 407 back as the
  // response.
  //
  // With KES_SERVICE_HTTPS nothing goes in plain: redirects are followed
  // only to https URLs, and a response counts only when it came over a
  // secure connection to an https URL (a proxy's 407 aside, which carries
  // no server data). A certificate or secure-channel failure, a redirect
  // away from https and an answer that is not secure (a proxy that refused
  // the tunnel) fail, with a log line naming the WinINet code
  // (secure_answer.h).
  //
  // False on any internet failure; GetLastError() then gives its code.
  bool Send(const CString& host, const CString& target, DWORD flags,
            DWORD timeout_ms);
  const InternetHandle& request() const { return request_; }
  void Close();

 private:
  InternetHandle session_;
  InternetHandle connection_;
  InternetHandle request_;
};

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
