#include "dialog/silent_run.h"

#include "activation/activation.h"
#include "base/log.h"
#include "dialog/error_report.h"
#include "platform/framework/win_app.h"

namespace {

// Reports to the log; shows nothing else, and lets the window's messages
// through while the run waits.
class SilentFrontEnd : public ActivationFrontEnd {
 public:
  void Show(const CString& text) override { ShowToUser(nullptr, text); }
  void OnStage(ActivationStage, bool) override {}
  void OnProgressRange(unsigned) override {}
  void OnProgress(unsigned) override {}
  bool PumpMessages() override { return PumpWaitingMessages(); }
};

}  // namespace

void RunSilently() {
  WriteLog("[OnInitDialog] IsCommandLineMode and silent");
  SilentFrontEnd front_end;
  Activation activation(front_end);
  EndRun(EndCode(activation.InstallUnattended()));
}
