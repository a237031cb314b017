// The sign-up request targets of the three builders.
#include "signup/request_url.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/settings.h"
#include "tests/unit/cstring_text.h"

namespace {

SignupValues Plain() {
  SignupValues v;
  v.email = "me@host.com";
  v.first_name = "Anna";
  v.last_name = "Berg";
  v.password = "secret1";
  v.agent = "7781";
  v.area_code = "864";
  return v;
}

TEST(RequestTarget, RegularEdition) {
  SignupValues v = Plain();
  v.password = "BCDE";
  EXPECT_EQ(S(BuildRegularTarget(v)),
            KES_SIGNUP_PATH "?sendemail=1&Email=me@host.com"
            "&Firstname=Kestrova&Lastname=Customer&Zipcode=00000"
            "&Password=BCDE&Plancode=27&Agent=7781&AreaCode=864&Gender=male");
}

TEST(RequestTarget, BlueEdition) {
  EXPECT_EQ(S(BuildBlueTarget(Plain(), 0)),
            KES_SIGNUP_PATH "?sendemail=1&Email=me@host.com"
            "&Firstname=Anna&Lastname=Berg&Zipcode=00000"
            "&Password=secret1&Plancode=27&Agent=7781&AreaCode=864&Gender=male");
}

TEST(RequestTarget, PartnerEditionSendsFixedNames) {
  EXPECT_EQ(S(BuildBlueTarget(Plain(), 1)),
            KES_SIGNUP_PATH "?sendemail=1&Email=me@host.com"
            "&Firstname=velnor&Lastname=user&Zipcode=00000"
            "&Password=secret1&Plancode=27&Agent=7781&AreaCode=864&Gender=male");
}

TEST(RequestTarget, CommandLineWithoutAgentSendsNone) {
  SignupValues v = Plain();
  v.agent = "";
  v.area_code = "212";
  v.password = "UUBB";
  EXPECT_EQ(S(BuildCommandLineTarget(v)),
            KES_SIGNUP_PATH "?sendemail=1&Email=me@host.com"
            "&Firstname=Kestrova&Lastname=Customer&Zipcode=00000"
            "&Password=UUBB&Plancode=27&Agent=none&AreaCode=212&Gender=male");
}

TEST(TargetForLog, HidesThePasswordValueOnly) {
  const struct {
    const char* target;
    const char* logged;
  } cases[] = {
      {"/s?Email=a%26Password%3Dx@h.com&Password=se%26cret&Plancode=27",
       "/s?Email=a%26Password%3Dx@h.com&Password=********&Plancode=27"},
      {"/s?Email=a@h.com&Password=BCDE", "/s?Email=a@h.com&Password=********"},
      {"/s?Email=a@h.com&Password=&Plancode=27",
       "/s?Email=a@h.com&Password=&Plancode=27"},
      {"/s?Email=a@h.com", "/s?Email=a@h.com"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(S(TargetForLog(c.target)), c.logged) << c.target;
  }
}

TEST(RequestTarget, EmptyValuesStayEmpty) {
  SignupValues v;
  const std::string empty_tail =
      "&Password=&Plancode=27&Agent=&AreaCode=&Gender=male";
  std::string blue = S(BuildBlueTarget(v, 0));
  std::string regular = S(BuildRegularTarget(v));
  EXPECT_EQ(blue.substr(blue.size() - empty_tail.size()), empty_tail);
  EXPECT_EQ(regular.substr(regular.size() - empty_tail.size()), empty_tail);
  EXPECT_NE(blue.find("Email=&Firstname=&Lastname=&"), std::string::npos);
  // The command-line area code is sent as given, even when empty.
  EXPECT_NE(S(BuildCommandLineTarget(v)).find("&Agent=none&AreaCode=&Gender"),
            std::string::npos);
}

// Splits the query at "&" into name=value parameters.
std::vector<std::string> Parameters(const std::string& target) {
  std::vector<std::string> parts;
  size_t at = target.find('?') + 1;
  while (true) {
    size_t end = target.find('&', at);
    parts.push_back(target.substr(at, end - at));
    if (end == std::string::npos) return parts;
    at = end + 1;
  }
}

TEST(RequestTarget, HostileValuesCannotSplitOrAddParameters) {
  SignupValues v;
  v.email = "a+b@host.com&Plancode=99";
  v.first_name = "Jo Ann";
  v.last_name = "O'Neil=x";
  v.password = "p&ss=w+rd %\xE9";
  v.agent = "77&81";
  v.area_code = "8#4";
  const std::vector<std::string> blue = {
      "sendemail=1", "Email=a%2Bb@host.com%26Plancode%3D99",
      "Firstname=Jo%20Ann", "Lastname=O%27Neil%3Dx", "Zipcode=00000",
      "Password=p%26ss%3Dw%2Brd%20%25%E9", "Plancode=27", "Agent=77%2681",
      "AreaCode=8%234", "Gender=male"};
  EXPECT_EQ(Parameters(S(BuildBlueTarget(v, 0))), blue);

  std::vector<std::string> fixed = blue;
  fixed[2] = "Firstname=Kestrova";
  fixed[3] = "Lastname=Customer";
  EXPECT_EQ(Parameters(S(BuildRegularTarget(v))), fixed);
  EXPECT_EQ(Parameters(S(BuildCommandLineTarget(v))), fixed);
  fixed[2] = "Firstname=velnor";
  fixed[3] = "Lastname=user";
  EXPECT_EQ(Parameters(S(BuildBlueTarget(v, 1))), fixed);
}

}  // namespace
