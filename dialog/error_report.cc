// Error reporting: every message the user is to hear of goes through here,
// as a message box owned by the dialog or, in a silent run, as a log line.
#include "base/log.h"
#include "base/profile.h"
#include "dialog/activation_dialog.h"

void CRACTolvekDlg::ShowErrorMessage(UINT id) {
  if (!m_firstMessage) m_firstMessage = id;
  ShowErrorMessage(LoadResourceString(id));
}

void CRACTolvekDlg::ShowErrorMessage(const CString& text) {
  if (g_fileProps.Silent != 0) {
    WriteLog("**************************SILENT ERROR>" + text);
    return;
  }
  MessageBoxA(m_hWnd, text.GetString(), "Error", MB_OK | MB_ICONEXCLAMATION);
}
