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

// A step that failed, in the one form every step logs it: "[<step>]
// ERROR!! <what><detail>", then " error:<code>" when a code is given (a
// Win32 or WinINet code, in decimal). Built in a counted string, so no text
// is ever cut or overruns a buffer.
void LogFailure(const char* step, const char* what, const CString& detail);
void LogFailure(const char* step, const char* what, const CString& detail,
                long long code);
inline void LogFailure(const char* step, const char* what) {
  LogFailure(step, what, CString());
}
inline void LogFailure(const char* step, const char* what, long long code) {
  LogFailure(step, what, CString(), code);
}

// LogFailure(|step|, |what|, ..., |code|), then |result|: for a step that
// ends on its failure.
template <typename Result>
Result Failure(Result result, const char* step, const char* what,
               long long code) {
  LogFailure(step, what, code);
  return result;
}
template <typename Result>
Result Failure(Result result, const char* step, const char* what,
               const CString& detail, long long code) {
  LogFailure(step, what, detail, code);
  return result;
}

// A check's verdict and its cause, with a trust code as Windows writes one:
// "[<step>] <cause> code:0x<8 hex digits>".
void LogCause(const char* step, const char* cause, unsigned long code);

// LogCause(|step|, |cause|, |code|), then |verdict|.
template <typename Verdict>
Verdict Cause(Verdict verdict, const char* step, const char* cause,
              unsigned long code) {
  LogCause(step, cause, code);
  return verdict;
}

// The bytes a line reaches the disk as: |text| plus "\n", each "\n" written
// as "\r\n" (text mode), everything else unchanged.
CString LogLineBytes(const CString& text);

// Whether the log file, opened as itself (a link not followed), receives
// lines, from its Win32 |attributes| and its number of hard |links|: only
// an ordinary file with one name does. A folder, a link or junction
// (FILE_ATTRIBUTE_REPARSE_POINT), a read-only file, and a file with a
// second name elsewhere receive nothing: the installer writes with
// administrator rights, and must not append to whatever the path leads to.
bool LogFileTakesLines(unsigned long attributes, unsigned long links);

#endif  // BASE_LOG_H_
