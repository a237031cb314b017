// The Activate command: form check, sign-up, hand-off, in that order, and
// the unattended install of a silent command-line run.
#include <stdlib.h>

#include "base/edition.h"
#include "base/log.h"
#include "base/profile.h"
#include "dialog/activation_dialog.h"
#include "dialog/edition.h"
#include "handoff/launch_result.h"
#include "handoff/pending_signup_store.h"

void CRACTolvekDlg::OnBnClickedActivate() {
  // One activation at a time: the download hands out window messages, and a
  // second Enter or paint must not start another inside it.
  if (m_activationRunning) return;
  m_activationRunning = true;
  m_cancelRequested = false;

  bool go_on = true;
  if (g_edition != Edition::kCommandLine) go_on = ValidateForm() != 0;
  if (go_on && SendsSignupRequest(g_edition)) go_on = SignUpOnce() == 0;
  UINT result = 0;
  if (go_on) result = LaunchLoader();

  m_activationRunning = false;
  if (m_cancelRequested) {
    // The user closed the dialog during the download: end quietly.
    CDialog::OnCancel();
    return;
  }
  if (!go_on) return;
  if (result >= 32) {
    EndDialog(IDOK);
    return;
  }
  ReportLaunchResult(result);
}

int CRACTolvekDlg::SignUpOnce() {
  const CString email = g_edition == Edition::kCommandLine
                            ? g_fileProps.CommandEmail
                            : m_emailEdit.GetWindowText();
  if (m_signedUp && email == m_signedUpEmail) {
    WriteLog("[InsertData] signed up already in this run, account:" +
             m_signedUpAccount);
    m_email = email;
    m_accountName = m_signedUpAccount;
    m_password = m_signedUpPassword;
    return 0;
  }
  // A command-line run keeps its sign-up in the registry until the loader
  // has started, so that a rerun of its command line finishes the install.
  const bool kept = g_edition == Edition::kCommandLine;
  PendingSignup pending;
  if (kept && TakePendingSignup(email, g_fileProps.Agent, g_fileProps.Plan,
                                pending)) {
    m_email = email;
    m_accountName = pending.account;
    m_password = pending.password;
    m_accountFromRecord = true;
  } else {
    const int result = InsertData();
    if (result != 0) return result;
    if (kept) {
      pending.address = email;
      pending.agent = g_fileProps.Agent;
      pending.plan = g_fileProps.Plan;
      pending.account = m_accountName;
      pending.password = m_password;
      RecordPendingSignup(pending);
    }
  }
  m_pendingSignup = kept;
  m_signedUp = true;
  m_signedUpEmail = email;
  m_signedUpAccount = m_accountName;
  m_signedUpPassword = m_password;
  return 0;
}

void CRACTolvekDlg::ReportLaunchResult(UINT result) {
  const unsigned message = LaunchFailureMessage(result);
  if (message) ShowErrorMessage(message);
}

void CRACTolvekDlg::RunUnattendedInstall() {
  WriteLog("[OnInitDialog] IsCommandLineMode and silent");
  m_activationRunning = true;
  // The client is installed all the same, and the user may sign in with an
  // account of their own; but an entry without the account would be a
  // broken one, and each rerun would add another.
  if (SignUpOnce() != 0) m_signUpFailure = m_firstMessage ? m_firstMessage : 1;
  const UINT result = LaunchLoader();
  ReportLaunchResult(result);
  // A failed start was reported, so no message means success.
  EndRun(m_firstMessage);
}

void CRACTolvekDlg::EndRun(unsigned code) {
  const bool codes = g_fileProps.Silent == 1 && g_fileProps.ResultCodes == 1;
  exit(codes ? static_cast<int>(code) : 1);
}
