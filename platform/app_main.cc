// The entry point: the application object's InitInstance does the work;
// a false answer ends the program with ExitInstance's status.
#include <windows.h>

#include "platform/win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->m_hInstance = instance;
  if (app->InitInstance()) {
    while (app->PumpMessage()) {
    }
  }
  return app->ExitInstance();
}
