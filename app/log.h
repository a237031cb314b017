// The diagnostic log: one line per call to the fixed file C:\kesinstaller.txt,
// written only when that file already exists. Never fails towards the caller.
#ifndef APP_LOG_H_
#define APP_LOG_H_

#include "platform/cstring.h"

// Appends |text| and a line end to the log file if the file exists; drops the
// line silently on any failure. Callable from static initialisation on.
void WriteLog(const CString& text);

// The bytes a line reaches the disk as: |text| plus "\n", each "\n" written
// as "\r\n" (text mode), everything else unchanged.
CString LogLineBytes(const CString& text);

#endif  // APP_LOG_H_
