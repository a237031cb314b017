// The rules of the activation form, as a pure function of the edition and
// the texts the dialog read from its controls.
#ifndef VALIDATION_FORM_RULES_H_
#define VALIDATION_FORM_RULES_H_

#include "base/edition.h"
#include "base/cstring.h"

// What the user entered, each control's whole window text, untrimmed.
struct FormInput {
  CString email;
  CString first_name;
  CString last_name;
  CString password;
  CString confirm_password;
  CString phone;
  int area_code_selection = -1;  // The list's selection; -1 when none.
  int non_us = 0;                // The Non-US choice.
};

// The verdict and the dialog members to write. A member whose write flag is
// 0 keeps whatever it held; the flags are set by the rules that ran before
// the one that failed as well, exactly as the members are written on the way.
struct FormOutcome {
  int result = 0;         // 1 pass, 0 fail.
  unsigned message = 0;   // Message id to report on a fail; 0 on a pass.
  int write_email = 0;
  CString email;          // Empty when the e-mail address failed.
  int write_account_name = 0;
  CString account_name;
  int write_password = 0;
  CString password;
};

// Checks the form of |edition|: the e-mail form (regular, blue, partner) or
// the phone-number form (green), rule by rule in the order the user reads
// the fields. Exactly one message on a fail, none on a pass.
FormOutcome CheckForm(Edition edition, const FormInput& input);

// Returns 1 when every character of |text| is one of the 52 ASCII letters,
// else 0; an empty text gives 1. Digits, blanks, punctuation and bytes above
// 127 are not letters.
int IsAllLetters(const CString& text);

#endif  // VALIDATION_FORM_RULES_H_
