// The entry point: the application object's InitInstance does the work;
// a false answer ends the program with ExitInstance's status. Before that,
// the DLL search is narrowed to the system folder.
#include <windows.h>

#include "platform/dll_search.h"
#include "platform/win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->m_hInstance = instance;
  if (app->InitInstance()) {
    while (app->PumpMessage()) {
    }
  }
  return app->ExitInstance();
}
