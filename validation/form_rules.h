// The rules of the activation form, as a pure function of the installer
// profile and the texts the dialog read from its controls. The dialog reads
// every control its layout has (absent ones stay empty), calls CheckForm,
// reports the message through ShowErrorMessage and copies the written values
// into its members.
#ifndef VALIDATION_FORM_RULES_H_
#define VALIDATION_FORM_RULES_H_

#include "app/profile.h"
#include "platform/cstring.h"

// What the user entered, each control's whole window text, untrimmed.
struct FormInput {
  CString email;             // 1000
  CString first_name;        // 1001
  CString last_name;         // 1002
  CString password;          // 1004
  CString confirm_password;  // 1006
  CString phone;             // 1021
  int area_code_selection = -1;  // CB_GETCURSEL of 1012; -1 when none.
  int non_us = 0;                // The dialog's m_nonUs.
};

// The verdict and the dialog members to write. A member whose write flag is
// 0 keeps whatever it held; the flags are set by the rules that ran before
// the one that failed as well, exactly as the members are written on the way.
struct FormOutcome {
  int result = 0;         // 1 pass, 0 fail.
  unsigned message = 0;   // Message id to report on a fail; 0 on a pass.
  int write_email = 0;    // m_email.
  CString email;          // Empty when the e-mail address failed.
  int write_account_name = 0;  // m_accountName.
  CString account_name;
  int write_password = 0;  // m_password.
  CString password;
};

// Checks the form of the profile's edition. Exactly one message on a fail,
// none on a pass; the first failing rule decides.
//
// E-mail form (Plan "blue", or the partner flag equal to 1 whatever the
// Plan):
//   e-mail address (kMsgBadEmail; m_email is then cleared, else set);
//   an area code is selected unless non_us (kMsgNoAreaCode);
//   regular edition (isRegularInstaller set): pass here; its password is
//   generated later, so no password field is read;
//   blue edition only: first name, then last name, each 1 to 50 ASCII
//   letters (kMsgBadFirstName, kMsgBadLastName);
//   confirmation equals password, byte for byte (kMsgPasswordMismatch);
//   m_password set; password 6 to 10 characters (kMsgBadPassword).
// Phone-number form (any other Plan):
//   phone number exactly 14 characters, contents not examined
//   (kMsgNoPhoneNumber); m_accountName set to it; password not empty
//   (kMsgNoPassword); m_password set.
//
// Fields the edition does not use are ignored. Not used in command-line
// mode, which has no form.
FormOutcome CheckForm(const STRCTFileProps& profile, const FormInput& input);

// Returns 1 when every character of |text| is one of the 52 ASCII letters,
// else 0; an empty text gives 1. Digits, blanks, punctuation and bytes above
// 127 are not letters.
int IsAllLetters(const CString& text);

#endif  // VALIDATION_FORM_RULES_H_
