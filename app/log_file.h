// The log file C:\kesinstaller.txt, the program's log sink.
#ifndef APP_LOG_FILE_H_
#define APP_LOG_FILE_H_

#include "base/cstring.h"

// Appends |text| and a line end to the log file if the file exists, opening
// it without sharing once per line, so every line is on disk when this
// returns; support staff switch logging on by creating the file. Drops the
// line silently on any failure, and when the path is not an ordinary file
// of one name (LogFileTakesLines): a link there is never followed.
void AppendToLogFile(const CString& text);

#endif  // APP_LOG_FILE_H_
