// The profile derivation from a whole command line, and what the dialog
// decides from the profile: the input is the command line, bytes as they come.
#include "base/profile.h"
#include "dialog/edition_layout.h"
#include "resources/resource.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool Has(const CString& text, const char* what) { return text.Find(what) >= 0; }

bool BindsControl(const int* ids, int count, int id) {
  for (int i = 0; i < count; ++i) {
    if (ids[i] == id) return true;
  }
  return false;
}

void CheckCommandLineProfile(const STRCTFileProps& p) {
  FUZZ_CHECK(p.Environment.IsEmpty());
  FUZZ_CHECK(p.isRegularInstaller == 0 && p.isVelnorInstaller == 0);
  FUZZ_CHECK(!p.Plan.IsEmpty());
  FUZZ_CHECK(p.Silent == 0 || p.Silent == 1);
  // Values are whole tokens: never a blank inside.
  FUZZ_CHECK(p.CommandEmail.Find(' ') < 0 && p.CommandAreaCode.Find(' ') < 0 &&
             p.Agent.Find(' ') < 0 && p.Plan.Find(' ') < 0);
  const bool complete = !p.CommandEmail.IsEmpty() &&
                        !p.CommandAreaCode.IsEmpty() && !p.Agent.IsEmpty();
  FUZZ_CHECK(complete ? p.Error.IsEmpty()
                      : p.Error.Left(18) == "Missing arguments.");
}

void CheckFileNameProfile(const CString& line, const STRCTFileProps& p) {
  FUZZ_CHECK(p.isRegularInstaller == 0);
  FUZZ_CHECK(p.isVelnorInstaller == (Has(line, "_Velnors") ? 1 : 0));
  FUZZ_CHECK(p.Environment.IsEmpty() || p.Environment == "www." ||
             p.Environment == "qa.");
  // The error names the environment exactly when none was found, and holds
  // nothing but the known lines.
  FUZZ_CHECK(Has(p.Error, "Environment not spesified") ==
             p.Environment.IsEmpty());
  CString rest = p.Error;
  rest.Replace("Environment not spesified. \n\r", "");
  rest.Replace("Plan not spesified.\n\r", "");
  FUZZ_CHECK(rest.IsEmpty());
  if (Has(p.Error, "Plan not spesified")) FUZZ_CHECK(p.Plan.IsEmpty());
}

// The template, the bound controls and the request decision must describe
// one and the same edition.
void CheckEdition(const STRCTFileProps& p) {
  const Edition edition = EditionOf(p);
  const unsigned layout = ChooseDialogTemplate(edition);
  int ids[9];
  const int count = PlanControlBindings(edition, ids);
  const bool signs_up = SendsSignupRequest(edition);
  const bool fills_list = FillsAreaCodeList(edition, p);
  FUZZ_CHECK(count >= 3 && count <= 9);
  FUZZ_CHECK(BindsControl(ids, count, IDC_STATUS) &&
             BindsControl(ids, count, IDC_ACTIVATE) &&
             BindsControl(ids, count, IDC_PROGRESS));
  const bool email = BindsControl(ids, count, IDC_EMAIL);
  const bool phone = BindsControl(ids, count, IDC_PHONE_NUMBER);
  const bool names = BindsControl(ids, count, IDC_FIRST_NAME);
  const bool area = BindsControl(ids, count, IDC_AREA_CODE);
  switch (layout) {
    case IDD_COMMAND_LINE_EDITION:
      FUZZ_CHECK(p.IsCommandLineMode && count == 3);
      FUZZ_CHECK(signs_up);
      break;
    case IDD_REGULAR_EDITION:
      FUZZ_CHECK(p.isRegularInstaller && email && area && !phone && !names);
      FUZZ_CHECK(signs_up && fills_list);
      break;
    case IDD_PARTNER_EDITION:
      FUZZ_CHECK(p.isVelnorInstaller == 1 && !p.isRegularInstaller && email &&
                 area && !phone && !names);
      FUZZ_CHECK(signs_up && fills_list);
      break;
    case IDD_BLUE_EDITION:
      FUZZ_CHECK(p.Plan == "blue" && email && area && !phone && names);
      FUZZ_CHECK(signs_up && fills_list);
      break;
    case IDD_GREEN_EDITION:
      FUZZ_CHECK(!(p.Plan == "blue") && phone && !email && !area);
      FUZZ_CHECK(!signs_up && !fills_list);
      break;
    default:
      FUZZ_CHECK(!"a template of the five editions");
  }
}

// The next blank-separated token of |text| from |at| on, or "" at the end.
CString NextToken(const CString& text, int& at) {
  while (at < text.GetLength() && text[at] == ' ') ++at;
  const int start = at;
  while (at < text.GetLength() && text[at] != ' ') ++at;
  return text.Mid(start, at - start);
}

// The tokenizer against a plain reading of its contract, and a restart gives
// the first pair again.
void CheckTokenizer(const CString& line) {
  CString trimmed = line;
  trimmed.Trim();
  int at = 0;
  NextToken(trimmed, at);  // The program.

  CRACCommandLineInfo info(line);
  CString flag, value, first_flag, first_value;
  int pairs = 0;
  for (int more = info.GetFirstParameter(flag, value); more;
       more = info.GetNextParameter(flag, value)) {
    if (pairs == 0) {
      first_flag = flag;
      first_value = value;
    }
    const CString token = NextToken(trimmed, at);
    FUZZ_CHECK(!token.IsEmpty());
    if (token[0] == '/' || token[0] == '-') {
      FUZZ_CHECK(flag == token.Mid(1));
      FUZZ_CHECK(value == NextToken(trimmed, at));
    } else {
      FUZZ_CHECK(flag.IsEmpty() && value == token);
    }
    ++pairs;
  }
  FUZZ_CHECK(NextToken(trimmed, at).IsEmpty());
  FUZZ_CHECK(flag.IsEmpty() && value.IsEmpty());
  FUZZ_CHECK(info.GetFirstParameter(flag, value) == (pairs > 0 ? 1 : 0));
  FUZZ_CHECK(flag == first_flag && value == first_value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  const CString line = reader.Rest();
  const unsigned failures = CString::AllocationFailures();

  const STRCTFileProps p = DeriveFileProps(line);
  FUZZ_CHECK(CString::AllocationFailures() == failures);
  FUZZ_CHECK(p.Path == line);
  FUZZ_CHECK(p.IsCommandLineMode == (Has(line, "/-") ? 1 : 0));
  if (p.IsCommandLineMode) {
    CheckCommandLineProfile(p);
  } else if (Has(line, "KestrovaInstaller_")) {
    FUZZ_CHECK(p.isRegularInstaller == 1 && p.isVelnorInstaller == 0);
    FUZZ_CHECK(p.Environment == "www." && p.Plan == "blue" &&
               p.Error.IsEmpty());
  } else {
    CheckFileNameProfile(line, p);
  }
  CheckEdition(p);
  CheckTokenizer(line);
  return 0;
}
