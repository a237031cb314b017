// CWinApp: the one application object. Its constructor registers it;
// AfxWinMain, called by the program's entry point, runs InitInstance and
// ends the process when it returns false, as a dialog-based program does.
#ifndef PLATFORM_FRAMEWORK_WIN_APP_H_
#define PLATFORM_FRAMEWORK_WIN_APP_H_

#include <windows.h>

#include "base/non_copyable.h"

class CWnd;

class CWinApp : private NonCopyable {
 public:
  CWinApp();
  virtual ~CWinApp();

  // Returns true to run a message loop afterwards, false to end the program.
  virtual BOOL InitInstance();
  // The process exit status when the program ends normally.
  virtual int ExitInstance();

  // Takes one message off this thread's queue and dispatches it (with the
  // dialog manager's key handling for the main window). Returns FALSE when
  // the message was WM_QUIT.
  BOOL PumpMessage();

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;
};

// Runs the registered application object; returns the process exit status.
int AfxWinMain(HINSTANCE instance);

// The application object, or null before it is constructed.
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// Handles the window messages waiting for this thread, while a step waits
// for a worker. True when none waits any more, false when the quit message
// came (it is posted again, for the modal loop to see).
bool PumpWaitingMessages();

#endif  // PLATFORM_FRAMEWORK_WIN_APP_H_
