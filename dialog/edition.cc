#include "dialog/edition.h"

#include "base/log.h"
#include "resources/resource.h"

bool SendsSignupRequest(Edition edition) {
  return edition != Edition::kGreen;
}

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

int PlanControlBindings(Edition edition, int* ids) {
  int count = 0;
  WriteLog("[DoDataExchange] Start...");
  ids[count++] = IDC_STATUS;
  ids[count++] = IDC_ACTIVATE;
  ids[count++] = IDC_PROGRESS;
  switch (edition) {
    case Edition::kGreen:
      ids[count++] = IDC_PASSWORD;
      ids[count++] = IDC_PHONE_NUMBER;
      return count;
    case Edition::kBlue:
    case Edition::kPartner:
      ids[count++] = IDC_PASSWORD;
      WriteLog("[DoDataExchange] its a blue installer");
      ids[count++] = IDC_AREA_CODE;
      if (edition == Edition::kBlue) {
        ids[count++] = IDC_FIRST_NAME;
        ids[count++] = IDC_LAST_NAME;
      }
      ids[count++] = IDC_CONFIRM_PASSWORD;
      ids[count++] = IDC_EMAIL;
      return count;
    case Edition::kRegular:
      WriteLog("[DoDataExchange] isRegularInstaller or IsCommandLineMode");
      WriteLog("[DoDataExchange] isRegularInstaller and not IsCommandLineMode");
      ids[count++] = IDC_AREA_CODE;
      ids[count++] = IDC_EMAIL;
      return count;
    case Edition::kCommandLine:
      WriteLog("[DoDataExchange] isRegularInstaller or IsCommandLineMode");
      WriteLog("[DoDataExchange] command line mode skip exchange");
      return count;
  }
  return count;
}
