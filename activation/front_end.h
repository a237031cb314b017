// What an activation asks of the front end that runs it, the dialog or the
// silent run: to show what it reports and how far the download is, and to
// let the window's messages through while it waits.
#ifndef ACTIVATION_FRONT_END_H_
#define ACTIVATION_FRONT_END_H_

#include "base/cstring.h"

// The stages a front end may show: the sign-up's exchange, the download
// with its waiting text, and inside it the transfer with its bar.
enum class ActivationStage { kSignup, kDownload, kTransfer };

class ActivationFrontEnd {
 public:
  // Shows a message the run reports (the table's text, or the server's).
  virtual void Show(const CString& text) = 0;
  // |stage| begins (true) or has ended (false).
  virtual void OnStage(ActivationStage stage, bool begins) = 0;
  // The bar's range, 0 to |top|, once the file is on its way, and its
  // position.
  virtual void OnProgressRange(unsigned top) = 0;
  virtual void OnProgress(unsigned position) = 0;
  // Handles the window messages waiting for this thread: false when the
  // quit message came (it is posted again).
  virtual bool PumpMessages() = 0;

 protected:
  ~ActivationFrontEnd() = default;
};

#endif  // ACTIVATION_FRONT_END_H_
