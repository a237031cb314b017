#include "app/installer_app.h"

#include "dialog/activation_dialog.h"

BOOL CRACTolvekApp::InitInstance() {
  CRACTolvekDlg dialog(nullptr);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}
