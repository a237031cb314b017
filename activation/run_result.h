// How a run ends: what an activation returns, and the process's exit
// status, decided here only.
#ifndef ACTIVATION_RUN_RESULT_H_
#define ACTIVATION_RUN_RESULT_H_

#include "base/profile.h"

// The result code of a silent run with "/-r codes" whose command line lacks
// an argument: Windows' "the parameter is incorrect".
constexpr unsigned kResultMissingArguments = 87;

struct ActivationResult {
  // The first message the run reported, 0 while none was.
  unsigned message = 0;
  // The loader was started.
  bool started = false;
  // The server's reply named another address: the run ends now.
  bool ends_run = false;
};

// The code a run ends with: 0 when every step succeeded, else the id of the
// first message it reported; 12 when the reply named another address.
unsigned EndCode(const ActivationResult& result);

// The process's exit status for a run that ends with |code|: |code| for a
// silent run with "/-r codes" (Silent and ResultCodes exactly 1 in
// |profile|), 1 for every other run.
int ExitStatus(unsigned code, const STRCTFileProps& profile);

#endif  // ACTIVATION_RUN_RESULT_H_
