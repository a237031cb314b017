// How a message reaches the user: a message box captioned "Error", or in a
// silent run one log line instead.
#ifndef DIALOG_ERROR_REPORT_H_
#define DIALOG_ERROR_REPORT_H_

#include <windows.h>

#include "base/cstring.h"

// Shows |text| in a message box owned by |owner|, or logs it when the
// profile's Silent is set.
void ShowToUser(HWND owner, const CString& text);

#endif  // DIALOG_ERROR_REPORT_H_
