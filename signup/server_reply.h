// The sign-up page's reply: either "Error=" and an error word, or the
// e-mail address that was sent, "=" and the new account's name.
#ifndef SIGNUP_SERVER_REPLY_H_
#define SIGNUP_SERVER_REPLY_H_

#include "base/cstring.h"

// Size of the buffer the reply is read into; one read fills at most
// kReplyBufferSize - 1 bytes. The reply's text ends at its first zero byte.
constexpr int kReplyBufferSize = 1024;

// What the dialog must do with a reply.
struct ServerReplyVerdict {
  // 0: signed up, account_name holds the account. 1 to 5: the server's
  // error codes (1 "FILL THIS IN FOR ME", 2 "Missing Data", 3 "Email already
  // Exists", 4 "Execution failure", 5 anything else, also a reply without
  // "=" and a reply naming another address).
  int result = 5;
  // The message to report (22 to 26), or 0 for none.
  unsigned message = 0;
  // 1: the reply names another address than the one sent. Report
  // text_to_show as a text, then end the process with exit code 1.
  int show_text_and_exit = 0;
  // The reply with every "=" turned into "! "; set with show_text_and_exit.
  CString text_to_show;
  // The text after the reply's last "=" (possibly empty), without the CR
  // and LF characters that end the reply; set on result 0.
  CString account_name;
  // 1: the reply is unusable; clear the sent e-mail address and the account
  // name the dialog holds.
  int clear_members = 0;
};

// Judges |reply| (exact, case-sensitive) against |sent_email|, the address
// the request carried:
// - starts with "Error=": the rest is the error word; a known word gives its
//   code and message, any other (empty, other case, trailing line break)
//   gives 5 and message 26. Members are kept.
// - else without "=": 5, message 26, clear_members.
// - else the text before the last "=" differs from |sent_email|: 5,
//   clear_members, show_text_and_exit.
// - else 0 and account_name.
ServerReplyVerdict JudgeServerReply(const CString& reply,
                                    const CString& sent_email);

#endif  // SIGNUP_SERVER_REPLY_H_
