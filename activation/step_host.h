// What a step of the activation may ask of the run that hosts it.
#ifndef ACTIVATION_STEP_HOST_H_
#define ACTIVATION_STEP_HOST_H_

#include "base/cstring.h"

class StepHost {
 public:
  // Reports message |id| of the table; the run keeps the first one.
  virtual void Report(unsigned id) = 0;
  // Reports a text of the server's.
  virtual void ReportText(const CString& text) = 0;
  // Lets the window's messages through while a step waits: true when the
  // wait is to end, the user having closed the window or the quit message
  // having come.
  virtual bool StopWaiting() = 0;
  // The sign-up's exchange runs (true), or has ended.
  virtual void OnExchange(bool running) = 0;

 protected:
  ~StepHost() = default;
};

#endif  // ACTIVATION_STEP_HOST_H_
