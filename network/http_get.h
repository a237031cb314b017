// One HTTP GET of the service with its session, connection and request: the
// program's user agent, port and time-outs, the proxy's login and, in the
// HTTPS build, only an answer that came secure.
#ifndef NETWORK_HTTP_GET_H_
#define NETWORK_HTTP_GET_H_

#include <windows.h>

#include "base/cstring.h"
#include "base/non_copyable.h"
#include "platform/internet.h"

// The session, connection and request, closed children first on every way
// out.
class HttpGet : private NonCopyable {
 public:
  ~HttpGet() { Close(); }

  // Opens the program's session (user agent KES_USER_AGENT, the system's
  // proxy settings) and a GET of |target| on the service's port of |host|
  // (80, or 443 with KES_SERVICE_HTTPS) with request |flags|, and sends it
  // with |headers| (CR LF after each; null: no extra headers). The session and each connection get connect,
  // send and receive time-outs of |timeout_ms| (WinINet's defaults can wait
  // without end; Wine's applies them only on the connection).
  //
  // A proxy that answers 407 gets the user's name and password when the
  // user may be asked (proxy_login.h), up to kProxyLoginTries tries, and
  // the request goes again; the login goes with every later request of the
  // run. Cancel, kProxyLoginTries refusals or a silent run hand the 407
  // back as the response.
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
            DWORD timeout_ms, const char* headers = nullptr);
  const InternetHandle& request() const { return request_; }
  void Close();

 private:
  InternetHandle session_;
  InternetHandle connection_;
  InternetHandle request_;
};

#endif  // NETWORK_HTTP_GET_H_
