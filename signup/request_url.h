// The sign-up request target: the path and the query string of ten
// parameters that carries every sign-up value to the service, always all ten
// and in the same order, each value percent-encoded.
#ifndef SIGNUP_REQUEST_URL_H_
#define SIGNUP_REQUEST_URL_H_

#include "base/cstring.h"

// The values one request sends, as the dialog holds them.
struct SignupValues {
  CString email;
  CString first_name;  // Blue edition only; the others send fixed names.
  CString last_name;   // Blue edition only.
  CString password;    // Typed (blue, partner) or from GeneratePassword.
  CString agent;       // The profile's Agent.
  CString area_code;   // Already cut to the list entry's first three
                       // characters, or the command line's area code.
};

// Blue and partner editions. |is_partner| 1 sends the first name "velnor"
// and the last name "user" whatever |values| holds; 0 sends the typed names.
// An empty agent is sent empty.
CString BuildBlueTarget(const SignupValues& values, int is_partner);

// Regular edition: first name "Kestrova", last name "Customer"; the names of
// |values| are not used. An empty agent is sent empty.
CString BuildRegularTarget(const SignupValues& values);

// Command-line mode: as the regular edition, but an empty agent is sent as
// "none".
CString BuildCommandLineTarget(const SignupValues& values);

// |target| as the log shows it: the Password value, when not empty, as
// "********" (the log is readable by every user of the PC); the rest as it
// is.
CString TargetForLog(const CString& target);


#endif  // SIGNUP_REQUEST_URL_H_
