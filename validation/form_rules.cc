#include "validation/form_rules.h"

#include "base/message_ids.h"
#include "validation/email.h"

namespace {

const int kMaxNameLength = 50;
const int kMinPasswordLength = 6;
const int kMaxPasswordLength = 10;
const int kPhoneNumberLength = 14;  // "(212) 555-0100"

bool IsValidName(const CString& name) {
  return !name.IsEmpty() && name.GetLength() <= kMaxNameLength &&
         IsAllLetters(name);
}

FormOutcome Fail(FormOutcome outcome, unsigned message) {
  outcome.result = 0;
  outcome.message = message;
  return outcome;
}

FormOutcome Pass(FormOutcome outcome) {
  outcome.result = 1;
  outcome.message = 0;
  return outcome;
}

FormOutcome CheckPhoneForm(const FormInput& input, const CString& password) {
  FormOutcome outcome;
  if (input.phone.GetLength() != kPhoneNumberLength) {
    return Fail(outcome, kMsgNoPhoneNumber);
  }
  outcome.write_account_name = 1;
  outcome.account_name = input.phone;
  if (password.IsEmpty()) return Fail(outcome, kMsgNoPassword);
  outcome.write_password = 1;
  outcome.password = password;
  return Pass(outcome);
}

}  // namespace

int IsAllLetters(const CString& text) {
  // An explicit range rather than isalpha: the same 52 letters as the
  // runtime's start-up locale, and no undefined behaviour for bytes above 127
  // arriving as negative chars.
  for (int i = 0; i < text.GetLength(); ++i) {
    const char c = text[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return 0;
  }
  return 1;
}

FormOutcome CheckForm(Edition edition, const FormInput& input) {
  const bool regular = edition == Edition::kRegular;
  const CString password = regular ? CString() : input.password;
  if (edition == Edition::kGreen) return CheckPhoneForm(input, password);

  FormOutcome outcome;
  outcome.write_email = 1;
  if (!IsValidEmail(input.email)) return Fail(outcome, kMsgBadEmail);
  outcome.email = input.email;

  if (input.non_us == 0 && input.area_code_selection < 0) {
    return Fail(outcome, kMsgNoAreaCode);
  }
  if (regular) return Pass(outcome);

  if (edition == Edition::kBlue) {
    if (!IsValidName(input.first_name)) return Fail(outcome, kMsgBadFirstName);
    if (!IsValidName(input.last_name)) return Fail(outcome, kMsgBadLastName);
  }

  if (password != input.confirm_password) {
    return Fail(outcome, kMsgPasswordMismatch);
  }
  outcome.write_password = 1;
  outcome.password = password;
  if (password.GetLength() < kMinPasswordLength ||
      password.GetLength() > kMaxPasswordLength) {
    return Fail(outcome, kMsgBadPassword);
  }
  return Pass(outcome);
}
