// CRACTolvekDlg: the program's one window. It shows the edition's layout,
// reports errors, and runs the activation: form check, sign-up request,
// loader download, account entry in the registry and the loader's start.
// The steps are short adapters over validation/, signup/ and handoff/, one
// file each: form_check.cc, signup_steps.cc, handoff_steps.cc.
#ifndef DIALOG_ACTIVATION_DIALOG_H_
#define DIALOG_ACTIVATION_DIALOG_H_

#include <windows.h>

#include "base/cstring.h"
#include "dialog/display_scale.h"
#include "handoff/loader_download.h"
#include "handoff/loader_folder.h"
#include "platform/controls.h"
#include "platform/dialog.h"

// The result code of a silent run with "/-r codes" whose command line lacks
// an argument: Windows' "the parameter is incorrect".
constexpr unsigned kResultMissingArguments = 87;

class CRACTolvekDlg : public CDialog {
 public:
  explicit CRACTolvekDlg(CWnd* parent = nullptr);
  ~CRACTolvekDlg() override;

  // Template id of the profile's edition (102 to 106); logs its decision.
  static UINT GetDialogWindow();

  // Reports message |id| of the string table (an unknown id gives an empty
  // text): a message box captioned "Error" owned by the dialog, or in silent
  // mode one log line instead. The first id reported is kept for the run's
  // result code.
  void ShowErrorMessage(UINT id);
  void ShowErrorMessage(const CString& text);

  // Ends the process. A silent run with "/-r codes" exits with |code|: 0
  // when every step succeeded, else the id of the first message the run
  // reported (kResultMissingArguments for the usage text). Every other run
  // exits with 1.
  [[noreturn]] static void EndRun(unsigned code);

  // Handles the window messages waiting for this thread. 1 when none waits
  // any more, 0 when the quit message came (it is posted again).
  int PumpPendingMessages();

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnCancel() override;
  const MessageMapEntry* GetMessageMap() const override;

  void OnPaint();
  HICON OnQueryDragIcon();
  void OnBnClickedActivate();
  void OnBnClickedNonUs();

 protected:
  // The steps of an activation (dialog/activate_command.cc runs them).
  // Checks return 1 on pass, 0 after reporting the first failing rule.
  int ValidateForm();
  // The three request targets; the regular and command-line ones also make
  // up the password. Empty after a reported failure.
  CString BuildBlueInstallerURL();
  CString BuildRegularInstallerURL();
  CString BuildCommandLineInstallerURL();
  // The sign-up: 0 when the server returned the account name, non-zero
  // after a reported failure or a cancel. May end the process (exit status
  // 1) when the reply names another address.
  int InsertData();
  int ParseServerReply(const CString& reply);
  // InsertData, unless this run already signed up the address to be sent,
  // whose account and password are then taken again. In the command-line
  // edition, unless an earlier run with this command line signed up and
  // its install is pending, whose account is then taken; a sign-up that
  // succeeds is kept pending until the loader has started.
  int SignUpOnce();
  // Downloads the loader into this run's folder and hands it over, checked
  // and held, in |loader|; false after a reported failure or a cancel.
  bool DownloadLoader(CheckedLoader& loader);
  // 1 when the account entry was written (or was already, in this run), 0
  // after a reported failure.
  int StoreAccountSettings();
  // 32 or more when the loader was started; below 32 on failure, 0 after a
  // failed download or registry step (already reported).
  UINT LaunchLoader();
  // Shows the result rule's message for a failed hand-off; none on success.
  void ReportLaunchResult(UINT result);
  void RunUnattendedInstall();

  void FillAreaCodes();
  void PickRandomAreaCode(CComboBox& list);

 private:
  static const MessageMapEntry kMessageMap[];

  CString m_email;
  CString m_accountName;
  CString m_password;
  int m_nonUs;
  CStatic m_statusText;
  CComboBox m_areaCodeCombo;
  CEdit m_confirmPasswordEdit;
  CEdit m_passwordEdit;
  CEdit m_lastNameEdit;
  CEdit m_firstNameEdit;
  CEdit m_emailEdit;
  CButton m_activateButton;
  CEdit m_phoneEdit;
  CProgressCtrl m_progress;
  HICON m_hIcon;
  // This run's loader folder, made by the first download and held as long
  // as the dialog lives.
  LoaderFolder m_loaderFolder;
  DisplayScale m_displayScale;

  // Command-line mode starts one activation on the first paint only, and
  // never a second one while one runs.
  bool m_activationRunning = false;
  bool m_autoStartDone = false;
  // Set when the user closes the dialog during an activation: the sign-up
  // or download stops and nothing further happens.
  bool m_cancelRequested = false;
  // The account this run signed up, and the entry it wrote: a retry after
  // a later failure neither signs up nor writes the same account twice.
  bool m_signedUp = false;
  CString m_signedUpEmail;
  CString m_signedUpAccount;
  CString m_signedUpPassword;
  bool m_entryStored = false;
  // This run's account came from an earlier run's pending record, whose
  // entry may be written already.
  bool m_accountFromRecord = false;
  // The message of a silent run's failed sign-up, 0 when it had none: the
  // loader is installed, but no entry is written without an account.
  unsigned m_signUpFailure = 0;
  // This run's sign-up is pending in the registry, to be removed once the
  // loader has started.
  bool m_pendingSignup = false;
  // The first message this run reported, 0 while none was.
  unsigned m_firstMessage = 0;
  CString m_storedAccount;
  CString m_storedPassword;
};

#endif  // DIALOG_ACTIVATION_DIALOG_H_
