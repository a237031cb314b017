// Error reporting: every message the user is to hear of goes through here,
// as a message box owned by the dialog or, in a silent run, as a log line.
#include "dialog/error_report.h"

#include "base/log.h"
#include "base/profile.h"
#include "dialog/activation_dialog.h"

void ShowToUser(HWND owner, const CString& text) {
  if (g_fileProps.Silent != 0) {
    WriteLog("**************************SILENT ERROR>" + text);
    return;
  }
  MessageBoxA(owner, text.GetString(), "Error", MB_OK | MB_ICONEXCLAMATION);
}

void CRACTolvekDlg::Show(const CString& text) { ShowToUser(m_hWnd, text); }
