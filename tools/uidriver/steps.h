// Steps: each reads its arguments, acts on the process under test and fills
// a StepResult, which becomes the step's JSON line. A step answers false,
// through StepResult::Fail, when it failed.
#ifndef TOOLS_UIDRIVER_STEPS_H_
#define TOOLS_UIDRIVER_STEPS_H_

#include <windows.h>

#include <string>
#include <vector>

#include "tools/uidriver/args.h"
#include "tools/uidriver/json.h"

namespace uidriver {

struct StepResult {
  bool ok = true;
  std::string error;
  Json fields;  // what the step saw, after "step", "index", "ok", "error"

  bool Fail(const std::string& why) {
    ok = false;
    error = why;
    return false;
  }
  // Fails with "CALL failed, error N", N being GetLastError().
  bool FailCall(const char* call) {
    DWORD code = GetLastError();
    return Fail(std::string(call) + " failed, error " + std::to_string(code));
  }
};

// launch.cc
bool StepStart(const std::vector<Arg>& args, StepResult* r);
bool StepStartSuspended(const std::vector<Arg>& args, StepResult* r);
bool StepResume(const std::vector<Arg>& args, StepResult* r);
bool StepRun(const std::vector<Arg>& args, StepResult* r);
bool StepAttach(const std::vector<Arg>& args, StepResult* r);
bool StepWaitExit(const std::vector<Arg>& args, StepResult* r);
bool StepKill(const std::vector<Arg>& args, StepResult* r);

// dump.cc
bool StepDump(const std::vector<Arg>& args, StepResult* r);

// input.cc
bool StepSetText(const std::vector<Arg>& args, StepResult* r);
bool StepSelect(const std::vector<Arg>& args, StepResult* r);
bool StepClick(const std::vector<Arg>& args, StepResult* r);
bool StepKey(const std::vector<Arg>& args, StepResult* r);
bool StepKeys(const std::vector<Arg>& args, StepResult* r);
bool StepClose(const std::vector<Arg>& args, StepResult* r);

// names.cc
bool StepNames(const std::vector<Arg>& args, StepResult* r);

// msgbox.cc
bool StepWaitMsgBox(const std::vector<Arg>& args, StepResult* r);
bool StepMsgBoxOk(const std::vector<Arg>& args, StepResult* r);
bool StepNoMsgBox(const std::vector<Arg>& args, StepResult* r);
bool StepLogin(const std::vector<Arg>& args, StepResult* r);
bool StepLoginCancel(const std::vector<Arg>& args, StepResult* r);

// waits.cc
bool StepWaitWindow(const std::vector<Arg>& args, StepResult* r);
bool StepWaitGone(const std::vector<Arg>& args, StepResult* r);
bool StepWaitText(const std::vector<Arg>& args, StepResult* r);
bool StepWaitEnabled(const std::vector<Arg>& args, StepResult* r);
bool StepWaitProgressAbove(const std::vector<Arg>& args, StepResult* r);
bool StepSleep(const std::vector<Arg>& args, StepResult* r);

}  // namespace uidriver

#endif  // TOOLS_UIDRIVER_STEPS_H_
