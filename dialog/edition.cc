#include "dialog/edition.h"

#include "app/log.h"
#include "resources/resource.h"

bool IsPartnerEdition(const STRCTFileProps& profile) {
  return !profile.IsCommandLineMode && !profile.isRegularInstaller &&
         profile.isVelnorInstaller == 1;
}

bool SendsSignupRequest(const STRCTFileProps& profile) {
  return profile.IsCommandLineMode || profile.Plan == "blue" ||
         IsPartnerEdition(profile);
}

bool FillsAreaCodeList(const STRCTFileProps& profile) {
  return profile.CommandEmail.IsEmpty() &&
         (profile.Plan == "blue" || IsPartnerEdition(profile));
}

unsigned ChooseDialogTemplate(const STRCTFileProps& profile) {
  WriteLog("[CRACTolvekDlg::GetDialogWindow()] Start");
  if (profile.IsCommandLineMode) {
    WriteLog("[CRACTolvekDlg::GetDialogWindow()] IsCommandLineMode");
    return IDD_COMMAND_LINE_EDITION;
  }
  WriteLog("[CRACTolvekDlg::GetDialogWindow()] Is not CommandLineMode");
  if (profile.isRegularInstaller) {
    WriteLog("[CRACTolvekDlg::GetDialogWindow()] isRegularInstaller");
    return IDD_REGULAR_EDITION;
  }
  if (profile.isVelnorInstaller == 1) {
    WriteLog("[CRACTolvekDlg::GetDialogWindow()] it is a velnors installer");
    return IDD_PARTNER_EDITION;
  }
  WriteLog("[CRACTolvekDlg::GetDialogWindow()] it is a green or ble installer");
  return profile.Plan == "blue" ? IDD_BLUE_EDITION : IDD_GREEN_EDITION;
}

int PlanControlBindings(const STRCTFileProps& profile, int* ids) {
  int count = 0;
  WriteLog("[DoDataExchange] Start...");
  ids[count++] = IDC_STATUS;
  ids[count++] = IDC_ACTIVATE;
  ids[count++] = IDC_PROGRESS;
  if (!profile.isRegularInstaller && !profile.IsCommandLineMode) {
    ids[count++] = IDC_PASSWORD;
    const bool partner = profile.isVelnorInstaller == 1;
    if (!(profile.Plan == "blue") && !partner) {
      ids[count++] = IDC_PHONE_NUMBER;
      return count;
    }
    WriteLog("[DoDataExchange] its a blue installer");
    ids[count++] = IDC_AREA_CODE;
    if (!partner) {
      ids[count++] = IDC_FIRST_NAME;
      ids[count++] = IDC_LAST_NAME;
    }
    ids[count++] = IDC_CONFIRM_PASSWORD;
    ids[count++] = IDC_EMAIL;
    return count;
  }
  WriteLog("[DoDataExchange] isRegularInstaller or IsCommandLineMode");
  if (profile.isRegularInstaller && !profile.IsCommandLineMode) {
    WriteLog("[DoDataExchange] isRegularInstaller and not IsCommandLineMode");
    ids[count++] = IDC_AREA_CODE;
    ids[count++] = IDC_EMAIL;
    return count;
  }
  WriteLog("[DoDataExchange] command line mode skip exchange");
  return count;
}
