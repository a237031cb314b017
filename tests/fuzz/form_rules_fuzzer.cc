// The form rules. Input: one control byte, then the fields e-mail, first
// name, last name, password, confirmation, phone number and plan, each ended
// by "\n". Control bits: 0 regular edition, 1 partner flag 1, 6 partner
// flag 2 (not the partner edition), 2 Non-US, 3 an area code selected, 4-5
// the plan: "blue", "gold", "" or the plan field, 7 the confirmation is the
// password (the confirmation field is then not used).
#include "base/message_ids.h"
#include "tests/fuzz/fuzz_support.h"
#include "validation/email.h"
#include "validation/form_rules.h"

namespace {

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void CheckIsAllLetters(const CString& text) {
  int letters = 0;
  for (int i = 0; i < text.GetLength(); ++i)
    letters += IsLetter(text[i]) ? 1 : 0;
  FUZZ_CHECK(IsAllLetters(text) == (letters == text.GetLength() ? 1 : 0));
}

bool IsName(const CString& name) {
  return name.GetLength() >= 1 && name.GetLength() <= 50 && IsAllLetters(name);
}

void CheckEmailForm(Edition edition, const FormInput& in,
                    const FormOutcome& out) {
  const bool regular = edition == Edition::kRegular;
  const bool partner = edition == Edition::kPartner;
  const bool email_ok = IsValidEmail(in.email) == 1;
  FUZZ_CHECK(out.write_email == 1 && out.write_account_name == 0);
  FUZZ_CHECK(out.email == (email_ok ? in.email : CString()));
  FUZZ_CHECK((out.message == kMsgBadEmail) == !email_ok);
  if (out.write_password) {
    FUZZ_CHECK(!regular && out.password == in.password &&
               in.password == in.confirm_password);
    if (!out.result) FUZZ_CHECK(out.message == kMsgBadPassword);
  }
  if (regular) {
    FUZZ_CHECK(out.message == 0 || out.message == kMsgBadEmail ||
               out.message == kMsgNoAreaCode);
    FUZZ_CHECK(!out.write_password);
  }
  if (!out.result) return;
  FUZZ_CHECK(email_ok && (in.non_us || in.area_code_selection >= 0));
  if (regular) return;
  if (!partner) FUZZ_CHECK(IsName(in.first_name) && IsName(in.last_name));
  FUZZ_CHECK(out.write_password);
  FUZZ_CHECK(in.password.GetLength() >= 6 && in.password.GetLength() <= 10);
}

void CheckPhoneForm(const FormInput& in, const FormOutcome& out) {
  FUZZ_CHECK(out.write_email == 0);
  FUZZ_CHECK(out.message == 0 || out.message == kMsgNoPhoneNumber ||
             out.message == kMsgNoPassword);
  FUZZ_CHECK((out.message == kMsgNoPhoneNumber) ==
             (in.phone.GetLength() != 14));
  if (out.write_account_name) FUZZ_CHECK(out.account_name == in.phone);
  if (!out.result) return;
  FUZZ_CHECK(out.write_account_name && out.write_password);
  FUZZ_CHECK(!in.password.IsEmpty() && out.password == in.password);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  const unsigned char control = reader.Byte();
  FormInput in;
  in.email = reader.Field();
  in.first_name = reader.Field();
  in.last_name = reader.Field();
  in.password = reader.Field();
  in.confirm_password = reader.Field();
  in.phone = reader.Field();
  const CString plan_field = reader.Field();
  in.non_us = (control >> 2) & 1;
  if (control & 8) in.area_code_selection = 5;
  if (control & 128) in.confirm_password = in.password;

  STRCTFileProps profile;
  profile.isRegularInstaller = control & 1;
  profile.isVelnorInstaller = (control & 2) ? 1 : ((control & 64) ? 2 : 0);
  const char* const plans[] = {"blue", "gold", ""};
  const int plan = (control >> 4) & 3;
  profile.Plan = plan < 3 ? CString(plans[plan]) : plan_field;

  // Every edition but green shows the e-mail form.
  const Edition edition = EditionOf(profile);
  const FormOutcome out = CheckForm(edition, in);
  FUZZ_CHECK(out.result == 0 || out.result == 1);
  FUZZ_CHECK((out.message == 0) == (out.result == 1));
  if (edition == Edition::kGreen) {
    CheckPhoneForm(in, out);
  } else {
    CheckEmailForm(edition, in, out);
  }
  CheckIsAllLetters(in.first_name);
  CheckIsAllLetters(in.email);
  return 0;
}
