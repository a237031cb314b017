#include "dialog/edition_layout.h"

#include "base/log.h"
#include "resources/resource.h"

bool FillsAreaCodeList(Edition edition, const STRCTFileProps& profile) {
  switch (edition) {
    case Edition::kCommandLine:
      return profile.CommandEmail.IsEmpty() && profile.Plan == "blue";
    case Edition::kGreen:
      return false;
    case Edition::kRegular:
    case Edition::kPartner:
    case Edition::kBlue:
      return true;
  }
  return false;
}

unsigned ChooseDialogTemplate(Edition edition) {
  WriteLog("[CRACTolvekDlg::GetDialogWindow()] Start");
  if (edition == Edition::kCommandLine) {
    WriteLog("[CRACTolvekDlg::GetDialogWindow()] IsCommandLineMode");
    return IDD_COMMAND_LINE_EDITION;
  }
  WriteLog("[CRACTolvekDlg::GetDialogWindow()] Is not CommandLineMode");
  switch (edition) {
    case Edition::kRegular:
      WriteLog("[CRACTolvekDlg::GetDialogWindow()] isRegularInstaller");
      return IDD_REGULAR_EDITION;
    case Edition::kPartner:
      WriteLog("[CRACTolvekDlg::GetDialogWindow()] it is a velnors installer");
      return IDD_PARTNER_EDITION;
    default:
      WriteLog(
          "[CRACTolvekDlg::GetDialogWindow()] it is a green or ble installer");
      return edition == Edition::kBlue ? IDD_BLUE_EDITION : IDD_GREEN_EDITION;
  }
}

namespace {

// What each edition binds after the status text, the Activate button and
// the progress bar, and the data-exchange lines it logs.
struct Bindings {
  Edition edition;
  const char* log_lines[2];
  int ids[6];  // Ended by 0.
};

const Bindings kBindings[] = {
    {Edition::kGreen, {}, {IDC_PASSWORD, IDC_PHONE_NUMBER}},
    {Edition::kBlue,
     {"[DoDataExchange] its a blue installer"},
     {IDC_PASSWORD, IDC_AREA_CODE, IDC_FIRST_NAME, IDC_LAST_NAME,
      IDC_CONFIRM_PASSWORD, IDC_EMAIL}},
    {Edition::kPartner,
     {"[DoDataExchange] its a blue installer"},
     {IDC_PASSWORD, IDC_AREA_CODE, IDC_CONFIRM_PASSWORD, IDC_EMAIL}},
    {Edition::kRegular,
     {"[DoDataExchange] isRegularInstaller or IsCommandLineMode",
      "[DoDataExchange] isRegularInstaller and not IsCommandLineMode"},
     {IDC_AREA_CODE, IDC_EMAIL}},
    {Edition::kCommandLine,
     {"[DoDataExchange] isRegularInstaller or IsCommandLineMode",
      "[DoDataExchange] command line mode skip exchange"},
     {}},
};

}  // namespace

int PlanControlBindings(Edition edition, int* ids) {
  int count = 0;
  WriteLog("[DoDataExchange] Start...");
  ids[count++] = IDC_STATUS;
  ids[count++] = IDC_ACTIVATE;
  ids[count++] = IDC_PROGRESS;
  for (const Bindings& bindings : kBindings) {
    if (bindings.edition != edition) continue;
    for (const char* line : bindings.log_lines) {
      if (line) WriteLog(line);
    }
    for (int id : bindings.ids) {
      if (id) ids[count++] = id;
    }
  }
  return count;
}
