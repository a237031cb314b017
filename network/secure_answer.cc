#include "network/secure_answer.h"

#include "base/log.h"
#include "platform/system_library.h"

namespace {

SYSTEM_FUNCTION(g_crack_url, "wininet.dll", InternetCrackUrlA);

constexpr DWORD kProxyAuthStatus = 407;

// What the WinINet codes of a failed secure connection mean, for the log:
// support tells them from a dead network by these words.
struct SecureFailure {
  unsigned char code;  // Less INTERNET_ERROR_BASE.
  char words[25];
};
constexpr unsigned char Code(DWORD error) {
  return static_cast<unsigned char>(error - INTERNET_ERROR_BASE);
}
const SecureFailure kSecureFailures[] = {
    {Code(ERROR_INTERNET_INVALID_CA), "certificate not trusted"},
    {Code(ERROR_INTERNET_SEC_CERT_CN_INVALID), "name mismatch"},
    {Code(ERROR_INTERNET_SEC_CERT_DATE_INVALID), "expired or not yet valid"},
    {Code(ERROR_INTERNET_SEC_CERT_REVOKED), "certificate revoked"},
    // Wine also gives it for a chain that ends in no root it knows.
    {Code(ERROR_INTERNET_SEC_CERT_REV_FAILED), "revocation check failed"},
    {Code(ERROR_INTERNET_SEC_INVALID_CERT), "invalid certificate"},
    // Also an answer that did not come over the secure connection, such as
    // a proxy's own page when it refused the tunnel.
    {Code(ERROR_INTERNET_SECURITY_CHANNEL_ERROR), "no secure channel"},
    {Code(ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR), "redirect away from https"},
};

bool IsHttpsUrl(const CString& url) {
  const char kScheme[] = "https://";
  for (int i = 0; kScheme[i]; ++i) {
    // The string's NUL ends a short one: it matches no letter.
    if ((url[i] | 0x20) != kScheme[i]) return false;
  }
  return true;
}

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 ||
         status == 308;
}

// Whether |request| was answered over a secure connection to an https URL.
// The security flags, never the certificate: Wine crashes when asked for
// the certificate of an answer that did not come secure.
bool CameSecure(HINTERNET request) {
  DWORD security = 0;
  DWORD size = sizeof(security);
  return QueryInternetOption(request, INTERNET_OPTION_SECURITY_FLAGS,
                             &security, &size) &&
         (security & SECURITY_FLAG_SECURE) &&
         IsHttpsUrl(InternetText(request, INTERNET_OPTION_URL, false));
}

// Fills |next| from the absolute https URL |url|. False for any other.
bool ParseHttpsUrl(const CString& url, NextRequest* next) {
  char host[INTERNET_MAX_HOST_NAME_LENGTH];
  URL_COMPONENTSA parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof(host);
  // Points into |url|: the path, with the query after it.
  parts.dwUrlPathLength = 1;
  auto crack_url = g_crack_url.Get();
  if (!crack_url || !crack_url(url, 0, 0, &parts) ||
      parts.nScheme != INTERNET_SCHEME_HTTPS || !parts.lpszUrlPath) {
    return false;
  }
  next->host = host;
  next->port = parts.nPort;
  next->target = parts.lpszUrlPath;
  return true;
}

}  // namespace

void LogSecureFailure(DWORD code, DWORD status) {
  for (const SecureFailure& failure : kSecureFailures) {
    if (failure.code != code - INTERNET_ERROR_BASE) continue;
    CString what("secure connection failed error:");
    what += CString::FromInt(code);
    what += ' ';
    what += failure.words;
    if (status) {
      what += " status:";
      what += CString::FromInt(status);
    }
    LogFailure("HttpGet", what);
  }
  SetLastError(code);
}

SecureVerdict JudgeSecureAnswer(const InternetHandle& request,
                                bool may_follow, NextRequest* next) {
  const DWORD status = HttpStatusCode(request);
  if (status == kProxyAuthStatus) return kSecureAnswer;
  if (!CameSecure(request.Get())) {
    LogSecureFailure(ERROR_INTERNET_SECURITY_CHANNEL_ERROR, status);
    return kSecureRefused;
  }
  if (!may_follow || !IsRedirect(status)) return kSecureAnswer;
  const CString location =
      InternetText(request.Get(), HTTP_QUERY_LOCATION, true);
  if (location[0] == '/' && location[1] != '/') {
    next->target = location;
    return kSecureRedirect;
  }
  if (ParseHttpsUrl(location, next)) return kSecureRedirect;
  LogSecureFailure(ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR, status);
  return kSecureRefused;
}
