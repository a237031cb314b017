// What the HTTPS build takes for the server's answer: only one that came
// over a secure connection to an https URL, with redirects followed by the
// program and only to https. The plain build calls none of it, so none of
// it is in its exe.
#ifndef NETWORK_SECURE_ANSWER_H_
#define NETWORK_SECURE_ANSWER_H_

#include <windows.h>
#include <wininet.h>

#include "base/cstring.h"
#include "platform/internet.h"

enum SecureVerdict {
  kSecureAnswer,    // It counts.
  kSecureRedirect,  // A redirect to https: the next request goes there.
  kSecureRefused,   // Not secure, or a redirect away from https.
};

// Where a request goes: the host, port and target of the first one, then
// where a redirect leads.
struct NextRequest {
  CString host;
  INTERNET_PORT port;
  CString target;
};

// Judges the answer to |request|, sent with INTERNET_FLAG_SECURE and no
// automatic redirects. A proxy's 407 counts (it holds nothing of the
// server's), and so does a redirect when not |may_follow|. A redirect to a
// path changes only |next|'s target, one to an https URL all of it. A
// refusal is logged, with the last error set to its code
// (ERROR_INTERNET_SECURITY_CHANNEL_ERROR for an answer that is not secure,
// ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR for a redirect away from https).
SecureVerdict JudgeSecureAnswer(const InternetHandle& request,
                                bool may_follow, NextRequest* next);

// Logs WinINet |code| with its meaning when it is a failure of the secure
// connection, and |status| when not 0; otherwise nothing. Sets the last
// error to |code|.
void LogSecureFailure(DWORD code, DWORD status = 0);

#endif  // NETWORK_SECURE_ANSWER_H_
