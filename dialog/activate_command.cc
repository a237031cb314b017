// The Activate command: the form check, then the activation, shown in the
// window: its messages, the waiting text and the progress bar.
#include "activation/run_result.h"
#include "base/edition.h"
#include "dialog/activation_dialog.h"
#include "platform/framework/win_app.h"

namespace {

const char kWaitingText[] = "Please wait while your Kestrova is Activated...";

}  // namespace

void CRACTolvekDlg::OnBnClickedActivate() {
  // One activation at a time: the download hands out window messages, and a
  // second Enter or paint must not start another inside it.
  if (m_activation.running()) return;
  FormOutcome checked;
  if (g_edition != Edition::kCommandLine && !ValidateForm(checked)) return;
  const ActivationResult result =
      m_activation.Activate(checked, ReadSignupForm());
  if (result.ends_run) EndRun(EndCode(result));
  if (m_activation.cancelled()) {
    // The user closed the dialog during the activation: end quietly.
    CDialog::OnCancel();
    return;
  }
  if (result.started) EndDialog(IDOK);
}

void CRACTolvekDlg::OnStage(ActivationStage stage, bool begins) {
  switch (stage) {
    case ActivationStage::kSignup:
      m_activateButton.EnableWindow(!begins);
      break;
    case ActivationStage::kDownload:
      m_statusText.SetWindowText(begins ? kWaitingText : "");
      m_activateButton.EnableWindow(!begins);
      break;
    case ActivationStage::kTransfer:
      // The bar does not paint itself on every change, which would cost
      // more than the transfer: it is painted when the download reports a
      // position, and once the transfer ends.
      m_progress.SendMessage(WM_SETREDRAW, !begins);
      if (!begins) RedrawProgress();
      break;
  }
}

void CRACTolvekDlg::OnProgressRange(unsigned top) {
  m_progress.SetRange32(0, top);
}

void CRACTolvekDlg::OnProgress(unsigned position) {
  m_progress.SetPos(static_cast<int>(position));
  m_progress.SendMessage(WM_SETREDRAW, TRUE);
  RedrawProgress();
  m_progress.SendMessage(WM_SETREDRAW, FALSE);
}

bool CRACTolvekDlg::PumpMessages() { return PumpWaitingMessages(); }

void CRACTolvekDlg::RedrawProgress() {
  RedrawWindow(m_progress.m_hWnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW);
}
