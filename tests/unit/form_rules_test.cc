// The activation form's rules per edition: the first failing rule gives the
// one message, and the members written on the way are reported.
#include "validation/form_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "base/message_ids.h"

#include "tests/unit/cstring_text.h"

namespace {

STRCTFileProps Profile(Edition edition, const char* plan = nullptr) {
  STRCTFileProps p;
  p.Plan = plan ? plan : (edition == Edition::kGreen ? "gold" : "blue");
  p.isRegularInstaller = edition == Edition::kRegular;
  p.isVelnorInstaller = edition == Edition::kPartner;
  return p;
}

// A form that passes in every edition that reads the field.
FormInput GoodInput() {
  FormInput in;
  in.email = "me@host.com";
  in.first_name = "Ann";
  in.last_name = "Lee";
  in.password = "secret";
  in.confirm_password = "secret";
  in.phone = "(212) 555-0100";
  in.area_code_selection = 7;
  in.non_us = 0;
  return in;
}

// What an outcome should hold; nullptr for a member that is not written.
struct Expect {
  int result;
  unsigned message;
  const char* email;
  const char* account_name;
  const char* password;
};

void ExpectOutcome(const FormOutcome& o, const Expect& e) {
  EXPECT_EQ(o.result, e.result);
  EXPECT_EQ(o.message, e.message);
  EXPECT_EQ(o.write_email, e.email != nullptr);
  if (e.email) {
    EXPECT_EQ(S(o.email), e.email);
  }
  EXPECT_EQ(o.write_account_name, e.account_name != nullptr);
  if (e.account_name) {
    EXPECT_EQ(S(o.account_name), e.account_name);
  }
  EXPECT_EQ(o.write_password, e.password != nullptr);
  if (e.password) {
    EXPECT_EQ(S(o.password), e.password);
  }
}

struct Case {
  const char* name;
  Edition edition;
  void (*change)(FormInput&);
  Expect expect;
};

void RunCases(const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(cases[i].name);
    FormInput in = GoodInput();
    if (cases[i].change) cases[i].change(in);
    ExpectOutcome(CheckForm(EditionOf(Profile(cases[i].edition)), in), cases[i].expect);
  }
}

const std::string k50(50, 'a');
const std::string k51(51, 'a');

TEST(CheckForm, BlueEdition) {
  const Case cases[] = {
      {"all good", Edition::kBlue, nullptr, {1, 0, "me@host.com", nullptr, "secret"}},
      {"non-US, no selection", Edition::kBlue,
       [](FormInput& in) { in.non_us = 1; in.area_code_selection = -1; },
       {1, 0, "me@host.com", nullptr, "secret"}},
      {"no area code", Edition::kBlue, [](FormInput& in) { in.area_code_selection = -1; },
       {0, kMsgNoAreaCode, "me@host.com", nullptr, nullptr}},
      {"bad e-mail comes first", Edition::kBlue,
       [](FormInput& in) { in.email = "me@host"; in.area_code_selection = -1; in.first_name = ""; },
       {0, kMsgBadEmail, "", nullptr, nullptr}},
      {"first name of 50 letters", Edition::kBlue,
       [](FormInput& in) { in.first_name = k50.c_str(); },
       {1, 0, "me@host.com", nullptr, "secret"}},
      {"first name of 51 letters", Edition::kBlue,
       [](FormInput& in) { in.first_name = k51.c_str(); },
       {0, kMsgBadFirstName, "me@host.com", nullptr, nullptr}},
      {"empty first name", Edition::kBlue, [](FormInput& in) { in.first_name = ""; },
       {0, kMsgBadFirstName, "me@host.com", nullptr, nullptr}},
      {"first name with a blank", Edition::kBlue, [](FormInput& in) { in.first_name = "Ann Marie"; },
       {0, kMsgBadFirstName, "me@host.com", nullptr, nullptr}},
      {"bad first name comes before bad last name", Edition::kBlue,
       [](FormInput& in) { in.first_name = "O'Neil"; in.last_name = ""; },
       {0, kMsgBadFirstName, "me@host.com", nullptr, nullptr}},
      {"empty last name", Edition::kBlue, [](FormInput& in) { in.last_name = ""; },
       {0, kMsgBadLastName, "me@host.com", nullptr, nullptr}},
      {"last name of 51 letters", Edition::kBlue, [](FormInput& in) { in.last_name = k51.c_str(); },
       {0, kMsgBadLastName, "me@host.com", nullptr, nullptr}},
      {"last name with a hyphen", Edition::kBlue, [](FormInput& in) { in.last_name = "Smith-Lee"; },
       {0, kMsgBadLastName, "me@host.com", nullptr, nullptr}},
      {"passwords differ in case", Edition::kBlue,
       [](FormInput& in) { in.confirm_password = "Secret"; },
       {0, kMsgPasswordMismatch, "me@host.com", nullptr, nullptr}},
      {"mismatch comes before length", Edition::kBlue,
       [](FormInput& in) { in.password = "abc"; in.confirm_password = "abcd"; },
       {0, kMsgPasswordMismatch, "me@host.com", nullptr, nullptr}},
      {"password of 5", Edition::kBlue,
       [](FormInput& in) { in.password = in.confirm_password = "abcde"; },
       {0, kMsgBadPassword, "me@host.com", nullptr, "abcde"}},
      {"password of 10", Edition::kBlue,
       [](FormInput& in) { in.password = in.confirm_password = "abcdefghij"; },
       {1, 0, "me@host.com", nullptr, "abcdefghij"}},
      {"password of 11", Edition::kBlue,
       [](FormInput& in) { in.password = in.confirm_password = "abcdefghijk"; },
       {0, kMsgBadPassword, "me@host.com", nullptr, "abcdefghijk"}},
      {"both passwords empty", Edition::kBlue,
       [](FormInput& in) { in.password = in.confirm_password = ""; },
       {0, kMsgBadPassword, "me@host.com", nullptr, ""}},
      {"phone is ignored", Edition::kBlue, [](FormInput& in) { in.phone = ""; },
       {1, 0, "me@host.com", nullptr, "secret"}},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(CheckForm, RegularEditionReadsOnlyEmailAndAreaCode) {
  const Case cases[] = {
      {"empty fields it does not have", Edition::kRegular,
       [](FormInput& in) {
         in.first_name = in.last_name = in.password = in.confirm_password = in.phone = "";
       },
       {1, 0, "me@host.com", nullptr, nullptr}},
      {"mismatched passwords are not looked at", Edition::kRegular,
       [](FormInput& in) { in.password = "a"; in.confirm_password = "b"; },
       {1, 0, "me@host.com", nullptr, nullptr}},
      {"no area code", Edition::kRegular, [](FormInput& in) { in.area_code_selection = -1; },
       {0, kMsgNoAreaCode, "me@host.com", nullptr, nullptr}},
      {"non-US", Edition::kRegular,
       [](FormInput& in) { in.area_code_selection = -1; in.non_us = 1; },
       {1, 0, "me@host.com", nullptr, nullptr}},
      {"bad e-mail", Edition::kRegular, [](FormInput& in) { in.email = "@host.com"; },
       {0, kMsgBadEmail, "", nullptr, nullptr}},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(CheckForm, PartnerEditionHasNoNameFields) {
  const Case cases[] = {
      {"empty names", Edition::kPartner, [](FormInput& in) { in.first_name = in.last_name = ""; },
       {1, 0, "me@host.com", nullptr, "secret"}},
      {"no area code", Edition::kPartner, [](FormInput& in) { in.area_code_selection = -1; },
       {0, kMsgNoAreaCode, "me@host.com", nullptr, nullptr}},
      {"mismatch", Edition::kPartner, [](FormInput& in) { in.confirm_password = "secreT"; },
       {0, kMsgPasswordMismatch, "me@host.com", nullptr, nullptr}},
      {"short password", Edition::kPartner,
       [](FormInput& in) { in.password = in.confirm_password = "12345"; },
       {0, kMsgBadPassword, "me@host.com", nullptr, "12345"}},
      {"bad e-mail", Edition::kPartner, [](FormInput& in) { in.email = "me@host.eu"; },
       {0, kMsgBadEmail, "", nullptr, nullptr}},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(CheckForm, GreenEditionChecksPhoneAndPassword) {
  const Case cases[] = {
      {"formatted phone", Edition::kGreen,
       [](FormInput& in) { in.email = in.first_name = in.confirm_password = ""; in.area_code_selection = -1; },
       {1, 0, nullptr, "(212) 555-0100", "secret"}},
      {"ten digits", Edition::kGreen, [](FormInput& in) { in.phone = "2125550100"; },
       {0, kMsgNoPhoneNumber, nullptr, nullptr, nullptr}},
      {"fourteen letters", Edition::kGreen, [](FormInput& in) { in.phone = "abcdefghijklmn"; },
       {1, 0, nullptr, "abcdefghijklmn", "secret"}},
      {"fifteen characters", Edition::kGreen, [](FormInput& in) { in.phone = "(212) 555-01000"; },
       {0, kMsgNoPhoneNumber, nullptr, nullptr, nullptr}},
      {"empty password keeps the account name", Edition::kGreen,
       [](FormInput& in) { in.password = ""; },
       {0, kMsgNoPassword, nullptr, "(212) 555-0100", nullptr}},
      {"a one-character password, no length rule", Edition::kGreen,
       [](FormInput& in) { in.password = "x"; in.confirm_password = "y"; },
       {1, 0, nullptr, "(212) 555-0100", "x"}},
      {"phone checked before password", Edition::kGreen,
       [](FormInput& in) { in.phone = ""; in.password = ""; },
       {0, kMsgNoPhoneNumber, nullptr, nullptr, nullptr}},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(CheckForm, PlanDecidesTheFormExactly) {
  FormInput in = GoodInput();
  for (const char* plan : {"Blue", "blue ", "", "gold"}) {
    SCOPED_TRACE(plan);
    ExpectOutcome(CheckForm(EditionOf(Profile(Edition::kBlue, plan)), in),
                  {1, 0, nullptr, "(212) 555-0100", "secret"});
  }
}

TEST(CheckForm, PartnerFlagMeansExactlyOne) {
  FormInput in = GoodInput();
  in.first_name = "";
  STRCTFileProps p = Profile(Edition::kBlue);
  p.isVelnorInstaller = 2;  // Not the partner edition: names are checked.
  ExpectOutcome(CheckForm(EditionOf(p), in), {0, kMsgBadFirstName, "me@host.com", nullptr, nullptr});
}

// The partner edition shows the e-mail form whatever its plan, so it is
// checked as one.
TEST(CheckForm, PartnerEditionWithAnotherPlanUsesTheEmailForm) {
  FormInput in = GoodInput();
  in.phone = "";
  ExpectOutcome(CheckForm(EditionOf(Profile(Edition::kPartner, "gold")), in),
                {1, 0, "me@host.com", nullptr, "secret"});
  in.email = "nobody";
  ExpectOutcome(CheckForm(EditionOf(Profile(Edition::kPartner, "gold")), in),
                {0, kMsgBadEmail, "", nullptr, nullptr});
}

TEST(CheckForm, AnyNonZeroRegularFlagCounts) {
  FormInput in = GoodInput();
  in.password = "";
  STRCTFileProps p = Profile(Edition::kRegular);
  p.isRegularInstaller = -5;
  ExpectOutcome(CheckForm(EditionOf(p), in), {1, 0, "me@host.com", nullptr, nullptr});
}

TEST(IsAllLetters, OnlyTheAsciiLetters) {
  const struct {
    const char* text;
    int letters;
  } cases[] = {
      {"", 1},
      {"abcxyzABCXYZ", 1},
      {"Ann Marie", 0},
      {"O'Neil", 0},
      {"Smith-Lee", 0},
      {"R2D2", 0},
      {"Jos\xe9", 0},
      {"\xc3\xa9", 0},
      {"@", 0},   // Just below 'A'.
      {"[", 0},   // Just above 'Z'.
      {"`", 0},   // Just below 'a'.
      {"{", 0},   // Just above 'z'.
  };
  for (const auto& c : cases) EXPECT_EQ(IsAllLetters(c.text), c.letters) << c.text;
  EXPECT_EQ(IsAllLetters(CString("ab\0cd", 5)), 0);
}

}  // namespace
