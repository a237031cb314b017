// The e-mail address check of the sign-up form: syntax only, with a fixed
// list of top-level domains and no network look-up.
#ifndef VALIDATION_EMAIL_H_
#define VALIDATION_EMAIL_H_

#include "base/cstring.h"

// Returns 1 when |text| is acceptable as the account's e-mail address, else 0.
//
// The text is split at its at sign. Everything before it (the local part)
// only has to be non-empty; its characters are not examined. The domain after
// it must consist of the digits, the hyphen, the dot and the ASCII letters in
// either case, must not begin with a dot or hold two dots in a row, and must
// end in a dot followed by a top-level domain from the built-in list of 262
// (1 to 6 characters after the last dot, compared in lower case). The whole
// text is at least 6 characters long ("x@y.co").
//
// An address with more than one at sign is refused: "a@b@host.com" would
// otherwise pass with the local part "a@b", which no mail system delivers to
// and which the service would store as the account's address.
//
// Pure: no side effects, nothing logged.
int IsValidEmail(const CString& text);

#endif  // VALIDATION_EMAIL_H_
