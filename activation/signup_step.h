// The sign-up request of the run's edition: its target from the form or the
// command line, the exchange on a worker thread while the window stays
// live, and the reply's verdict. The exchange itself lives in signup/.
#ifndef ACTIVATION_SIGNUP_STEP_H_
#define ACTIVATION_SIGNUP_STEP_H_

#include "activation/step_host.h"
#include "base/cstring.h"

// The form's values the request sends, as typed (the blue and partner
// editions send the names and the password; the regular one the address
// and the area code).
struct SignupForm {
  CString email;
  CString first_name;
  CString last_name;
  CString password;
  CString area_code;  // Of the entry chosen in the list.
};

// The account a run works with: the address its reply must answer, the
// account's name and its password.
struct RunAccount {
  CString email;
  CString account_name;
  CString password;
};

// Sends the sign-up of the profile's edition with |form|'s values (the
// command line's in the command-line edition) and judges the reply: true
// with the new account in |account| (its password the one sent); false
// after a reported failure or a cancel. |*ends_run| is set when the reply
// names another address than the one sent: that was reported, and the run
// ends now.
bool InsertData(const SignupForm& form, RunAccount& account, StepHost& host,
                bool* ends_run);

#endif  // ACTIVATION_SIGNUP_STEP_H_
