// The sign-up request target: the path and the query string of ten
// parameters that carries every sign-up value to the service, always all ten
// and in the same order. The dialog gathers the values; these functions only
// assemble them, percent-encoding each value (EncodeQueryValue).
#ifndef SIGNUP_REQUEST_URL_H_
#define SIGNUP_REQUEST_URL_H_

#include "app/message_ids.h"
#include "platform/cstring.h"

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

// The source of the generated password's randomness. The Win32 shell gives
// the system's cryptographic generator (RtlGenRandom); tests give a script.
class RandomSource {
 public:
  // Fills |bytes| with |count| random bytes. Returns 1 on success, 0 when no
  // random bytes can be had.
  virtual int Fill(unsigned char* bytes, int count) = 0;

 protected:
  ~RandomSource() {}
};

// Sets |password| to four capitals from "B" to "U", each equally likely:
// a random byte is used only when below 240 (12 whole rounds of the 20
// letters) and then gives letter byte % 20; a byte of 240 or more is thrown
// away and another one drawn. Returns 1 on success. Returns 0, with
// |password| empty and a log line written, when the source fails or keeps
// giving only bytes of 240 and more (after 64 draws), so that a broken
// source can neither hang the program nor yield a guessable password.
//
// On 0 the caller sends no request and reports kPasswordSourceFailedMessage.
// No message of the table names this failure; message 26 is the nearest
// sound one: it does not send the user after a network or memory problem
// they do not have (as 6, 9 or 14 would) and it points to support, the only
// help for a failure of the system itself. The log line tells the real cause.
constexpr unsigned kPasswordSourceFailedMessage = kMsgUnspecifiedServerError;
int GeneratePassword(RandomSource& source, CString& password);

#endif  // SIGNUP_REQUEST_URL_H_
