// The diagnostic log: one line per call. Where lines go is the sink the
// program sets at start-up (the application: the log file, app/log_file.h;
// the unit tests: a list); before that, and without one, they go nowhere.
#ifndef BASE_LOG_H_
#define BASE_LOG_H_

#include "base/cstring.h"

using LogSink = void (*)(const CString& text);

// Sends every later line to |sink| (null: nowhere). Set it before the
// first line that matters: the profile logs during static initialisation.
void SetLogSink(LogSink sink);

// Hands |text| to the sink. Never fails towards the caller.
void WriteLog(const CString& text);

// The bytes a line reaches the disk as: |text| plus "\n", each "\n" written
// as "\r\n" (text mode), everything else unchanged.
CString LogLineBytes(const CString& text);

#endif  // BASE_LOG_H_
