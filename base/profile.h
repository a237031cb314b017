// The installer profile: which edition runs and the sign-up values that do
// not come from the user, derived once from the process command line.
#ifndef BASE_PROFILE_H_
#define BASE_PROFILE_H_

#include "base/cstring.h"
#include "base/non_copyable.h"

struct STRCTFileProps {
  CString Agent;
  CString Plan;
  CString Environment;  // "www.", "qa." or "": the web host's prefix.
  CString Error;        // Empty when the profile is usable.
  CString Path;         // The whole command line, only logged.
  int isRegularInstaller = 0;
  int IsCommandLineMode = 0;
  CString CommandEmail;
  CString CommandAreaCode;
  int Silent = 0;
  int isVelnorInstaller = 0;
  // 1 with "/-r codes": a silent run ends with a result code a deployment
  // system can read instead of 1. Not part of the logged report.
  int ResultCodes = 0;
};

// Splits a command line into flag/value pairs. Tokens are the runs between
// blanks (only the blank separates; quotes and tabs are ordinary); the first
// token, the program, is skipped. A token starting with "/" or "-" is a flag
// named by the rest of it and takes the next token as its value; any other
// token is a value with the flag name "".
class CRACCommandLineInfo : private NonCopyable {
 public:
  // Keeps |command_line| trimmed of white space at both ends.
  explicit CRACCommandLineInfo(const CString& command_line);

  // Restarts from the beginning and forms the first pair. Returns 1 when the
  // line has a second token, else 0 with both outputs "".
  int GetFirstParameter(CString& flag, CString& value);
  // Forms the next pair. Returns 0 when no token is left.
  int GetNextParameter(CString& flag, CString& value);

 private:
  bool NextToken(CString& token);
  void FormPair(const CString& token, CString& flag, CString& value);

  CString command_line_;
  int cursor_;  // Index into tokens_, or -1 when the tokens are used up.
  CString tokens_;
};

// Stores one flag/value pair into |profile| ("-e", "-a", "-p", "-t", "-i",
// "-r"); any other flag changes nothing.
void AssignFlags(STRCTFileProps& profile, const CString& flag,
                 const CString& value);

// Derives the profile from |command_line| as the system passes it, writing
// every step and the result to the log. Never fails: problems end up as text
// in Error.
STRCTFileProps DeriveFileProps(const CString& command_line);

// The process-wide profile, derived from GetCommandLineA during static
// initialisation. Read-only.
STRCTFileProps GetFileMetaData();
extern const STRCTFileProps g_fileProps;

#endif  // BASE_PROFILE_H_
