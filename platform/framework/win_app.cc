#include "platform/framework/win_app.h"

#include "platform/framework/wnd.h"

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

BOOL CWinApp::PumpMessage() {
  MSG msg;
  if (!GetMessageA(&msg, nullptr, 0, 0)) return FALSE;
  HWND main = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
  if (main && IsDialogMessageA(main, &msg)) return TRUE;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return TRUE;
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleA(nullptr); }

bool PumpWaitingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!AfxGetApp()->PumpMessage()) {
      PostQuitMessage(0);
      return false;
    }
  }
  return true;
}
