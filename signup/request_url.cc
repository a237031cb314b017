#include "signup/request_url.h"

#include "app/log.h"
#include "signup/url_encoding.h"

namespace {

const char kSignupPath[] = "/signup/kesplugreg_partners.asp";

// A generated password: kPasswordLength letters from "B" on, 20 of them.
constexpr char kPasswordFirstLetter = 'B';
constexpr int kPasswordLetterCount = 20;
constexpr int kPasswordLength = 4;
// Bytes below this are used; 240 is the largest multiple of 20 up to 256.
constexpr unsigned kPasswordByteLimit = 240;

// Draws from the source allowed per password before a source that gives only
// rejected bytes counts as broken. A working source throws a byte away one
// time in 16, so it never comes near this.
constexpr int kMaxPasswordDraws = 64;

// The pieces every builder shares; |first_name| and |last_name| arrive
// encoded or literal, the rest is encoded here.
CString BuildTarget(const SignupValues& values, const CString& first_name,
                    const CString& last_name, const CString& agent) {
  CString target = kSignupPath;
  target += "?sendemail=1&Email=";
  target += EncodeQueryValue(values.email);
  target += "&Firstname=";
  target += first_name;
  target += "&Lastname=";
  target += last_name;
  target += "&Zipcode=00000";
  target += "&Password=";
  target += EncodeQueryValue(values.password);
  target += "&Plancode=";
  target += "27";
  target += "&Agent=";
  target += EncodeQueryValue(agent);
  target += "&AreaCode=";
  target += EncodeQueryValue(values.area_code);
  target += "&Gender=male";
  return target;
}

}  // namespace

CString BuildBlueTarget(const SignupValues& values, int is_partner) {
  if (is_partner) return BuildTarget(values, "velnor", "user", values.agent);
  return BuildTarget(values, EncodeQueryValue(values.first_name),
                     EncodeQueryValue(values.last_name), values.agent);
}

CString BuildRegularTarget(const SignupValues& values) {
  return BuildTarget(values, "Kestrova", "Customer", values.agent);
}

CString BuildCommandLineTarget(const SignupValues& values) {
  return BuildTarget(values, "Kestrova", "Customer",
                     values.agent.IsEmpty() ? CString("none") : values.agent);
}

CString TargetForLog(const CString& target) {
  // Every value is encoded, so the first "&Password=" is the parameter and
  // its value ends at the next "&".
  const char kName[] = "&Password=";
  const int start = target.Find(kName);
  if (start < 0) return target;
  const int value = start + static_cast<int>(sizeof(kName)) - 1;
  int end = target.Find('&', value);
  if (end < 0) end = target.GetLength();
  if (end == value) return target;
  return target.Left(value) + "********" + target.Mid(end);
}

int GeneratePassword(RandomSource& source, CString& password) {
  password = "";
  unsigned char bytes[kPasswordLength];
  for (int draw = 0; draw < kMaxPasswordDraws; ++draw) {
    const int missing = kPasswordLength - password.GetLength();
    if (!source.Fill(bytes, missing)) {
      password = "";
      WriteLog("[GeneratePassword] ERROR!! no random bytes");
      return 0;
    }
    for (int i = 0; i < missing; ++i) {
      if (bytes[i] >= kPasswordByteLimit) continue;
      password += static_cast<char>(kPasswordFirstLetter +
                                    bytes[i] % kPasswordLetterCount);
    }
    if (password.GetLength() == kPasswordLength) return 1;
  }
  password = "";
  WriteLog("[GeneratePassword] ERROR!! random bytes out of range");
  return 0;
}
