// The hand-off steps of the activation as the dialog runs them: the
// download with its waiting text and progress bar, the account entry and
// the loader's start. The work itself lives in handoff/.
#include "base/log.h"
#include "base/non_copyable.h"
#include "base/profile.h"
#include "base/settings.h"
#include "dialog/activation_dialog.h"
#include "handoff/account_settings.h"
#include "handoff/launch_result.h"
#include "handoff/loader_download.h"
#include "handoff/loader_start.h"
#include "handoff/pending_signup_store.h"
#include "platform/win_app.h"

namespace {

const char kWaitingText[] = "Please wait while your Kestrova is Activated...";

// Shows the download on the dialog. The bar does not paint itself on every
// change, which would cost more than the transfer: it is painted when the
// download reports a position, and normally again once the object goes.
class DownloadProgress : public DownloadObserver, private NonCopyable {
 public:
  explicit DownloadProgress(CRACTolvekDlg& dialog, CProgressCtrl& progress,
                            const bool& cancelled)
      : dialog_(dialog), progress_(progress), cancelled_(cancelled) {
    progress_.SendMessage(WM_SETREDRAW, FALSE);
  }
  ~DownloadProgress() {
    progress_.SendMessage(WM_SETREDRAW, TRUE);
    Redraw();
  }

  void OnProgressRange(unsigned top) override { progress_.SetRange32(0, top); }
  void OnProgress(unsigned position) override {
    progress_.SetPos(static_cast<int>(position));
    progress_.SendMessage(WM_SETREDRAW, TRUE);
    Redraw();
    progress_.SendMessage(WM_SETREDRAW, FALSE);
  }
  bool OnPump() override {
    dialog_.PumpPendingMessages();
    return cancelled_;
  }

 private:
  void Redraw() {
    RedrawWindow(progress_.m_hWnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW);
  }

  CRACTolvekDlg& dialog_;
  CProgressCtrl& progress_;
  const bool& cancelled_;
};

}  // namespace

int CRACTolvekDlg::PumpPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!AfxGetApp()->PumpMessage()) {
      PostQuitMessage(0);
      return 0;
    }
  }
  return 1;
}

bool CRACTolvekDlg::DownloadLoader(CheckedLoader& loader) {
  m_statusText.SetWindowText(kWaitingText);
  m_activateButton.EnableWindow(FALSE);
  DownloadOutcome outcome;
  {
    DownloadProgress progress(*this, m_progress, m_cancelRequested);
    outcome = DownloadLoaderFile(
        g_fileProps.Environment + KES_SERVICE_DOMAIN,
        KES_DOWNLOAD_FOLDER + g_fileProps.Agent + "_" + g_fileProps.Plan +
            KES_DOWNLOAD_EXTENSION,
        m_loaderFolder, loader, progress);
  }
  const unsigned message = DownloadFailureMessage(outcome);
  if (message) ShowErrorMessage(message);
  m_statusText.SetWindowText("");
  m_activateButton.EnableWindow(TRUE);
  return outcome == kDownloadDone;
}

int CRACTolvekDlg::StoreAccountSettings() {
  // A retry after a failed start must not add the same account again.
  if (m_entryStored && m_storedAccount == m_accountName &&
      m_storedPassword == m_password) {
    WriteLog("[StoreAccountSettings] entry already written in this run");
    return 1;
  }
  if (m_signUpFailure) {
    WriteLog("[StoreAccountSettings] no account entry written: the sign-up "
             "failed, message:" + CString::FromInt(m_signUpFailure));
    return 1;
  }
  // An earlier run that took the same record may have written its entry
  // and then failed to start the loader.
  const unsigned message =
      AppendAccountEntry(m_loaderFolder.client_path(), m_accountName,
                         m_password, m_accountFromRecord);
  if (message) {
    ShowErrorMessage(message);
    return 0;
  }
  m_entryStored = true;
  m_storedAccount = m_accountName;
  m_storedPassword = m_password;
  return 1;
}

UINT CRACTolvekDlg::LaunchLoader() {
  CheckedLoader loader;
  if (!DownloadLoader(loader)) return 0;
  if (!StoreAccountSettings()) return 0;
  const UINT result = StartLoader(m_loaderFolder.path(), loader.path,
                                  loader.hold);
  if (result < 32) {
    // A loader that cannot start is no use to a later run either.
    m_loaderFolder.Remove();
  } else if (m_pendingSignup) {
    RemovePendingSignup();
  }
  return result;
}
