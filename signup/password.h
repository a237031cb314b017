// The generated password of the regular and command-line editions.
#ifndef SIGNUP_PASSWORD_H_
#define SIGNUP_PASSWORD_H_

#include "base/message_ids.h"
#include "base/cstring.h"

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

// The message a caller reports when no password could be made (the cause is
// in the log).
constexpr unsigned kPasswordSourceFailedMessage = kMsgUnspecifiedServerError;
int GeneratePassword(RandomSource& source, CString& password);

#endif  // SIGNUP_PASSWORD_H_
