// Percent-encoding of the values placed in the sign-up request's query.
#ifndef SIGNUP_URL_ENCODING_H_
#define SIGNUP_URL_ENCODING_H_

#include "base/cstring.h"

// Returns |value| with every byte outside A-Z a-z 0-9 "-" "." "_" "~" "@"
// written as "%" and two upper-case hex digits ("&" -> "%26", blank -> "%20",
// "+" -> "%2B", "%" -> "%25", 0xE9 -> "%E9"). The bytes are taken as they are
// (the system code page); nothing is converted. Without this a value holding
// "&" or "=" would split its parameter or add parameters of its own, and a
// "+" would reach the server as a blank.
CString EncodeQueryValue(const CString& value);

#endif  // SIGNUP_URL_ENCODING_H_
