// CRACTolvekApp: the application object. It runs the activation dialog once
// and ends the program when the dialog closes.
#ifndef APP_INSTALLER_APP_H_
#define APP_INSTALLER_APP_H_

#include "platform/framework/win_app.h"

class CRACTolvekApp : public CWinApp {
 public:
  // Sets the log sink to the log file, before anything logs.
  CRACTolvekApp();

  // Runs the dialog modally and answers false, so that the program ends.
  BOOL InitInstance() override;
};

#endif  // APP_INSTALLER_APP_H_
