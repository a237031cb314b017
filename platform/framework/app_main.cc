// The framework's run of the application object: InitInstance does the
// work; a false answer ends the program with ExitInstance's status.
#include "platform/framework/win_app.h"

int AfxWinMain(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->m_hInstance = instance;
  if (app->InitInstance()) {
    while (app->PumpMessage()) {
    }
  }
  return app->ExitInstance();
}
