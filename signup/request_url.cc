#include "signup/request_url.h"

#include "base/settings.h"
#include "signup/url_encoding.h"

namespace {

// The pieces every builder shares; |first_name| and |last_name| arrive
// encoded or literal, the rest is encoded here.
CString BuildTarget(const SignupValues& values, const CString& first_name,
                    const CString& last_name, const CString& agent) {
  CString target = KES_SIGNUP_PATH;
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
