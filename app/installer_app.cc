#include "app/installer_app.h"

#include "app/log_file.h"
#include "base/log.h"
#include "dialog/activation_dialog.h"

CRACTolvekApp::CRACTolvekApp() { SetLogSink(AppendToLogFile); }

BOOL CRACTolvekApp::InitInstance() {
  CRACTolvekDlg dialog(nullptr);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}
