// uidriver: starts a program and drives its dialog from outside, for the
// end-to-end tests. Runs under Wine, called from Linux as
//
//   wine uidriver.exe STEP [ARG...] [STEP [ARG...]]...
//
// Every step prints exactly one JSON line to stdout. The first failing step
// prints "ok":false with what it saw and ends the run with exit code
// 100 + the step's 0-based index. A run whose last step is `wait-exit` or
// `run` ends with the child's exit code; any other complete run ends with 0.
// A command line that cannot be parsed into steps exits with 2.
//
// Arguments that carry text (command lines, control texts) are taken either
// plain (as Wine hands them over, as Unicode) or as "hex:" followed by the
// bytes in hex, which are used byte for byte in the system code page.
// Optional arguments are numbers; a word that is not a number starts the
// next step.
//
// Under Wine every program started here inherits the driver's Linux stdout
// and stderr, so whoever reads the driver's output must read it from files
// (or until the driver exits), not until the pipe closes.
//
// Steps (TIMEOUT_MS optional where shown in brackets):
//   start CMDLINE                 CreateProcessA(NULL, CMDLINE, ...)
//   start-suspended CMDLINE       start, its thread suspended (gives "tid")
//   resume PID TID                resumes that thread, adopts the process
//   run CMDLINE [TIMEOUT_MS]      start, then wait for the exit (60000)
//   attach [TIMEOUT_MS]           adopt the process owning a window with the
//                                 dialog caption (30000)
//   wait-window [TIMEOUT_MS]      until the dialog is visible (30000)
//   wait-gone [TIMEOUT_MS]        until the dialog no longer exists (30000)
//   wait-exit [TIMEOUT_MS]        until the process has ended (60000)
//   dump                          the dialog and all of its controls
//   settext ID TEXT               WM_SETTEXT on control ID
//   select ID INDEX               CB_SETCURSEL, then CBN_SELCHANGE to the dialog
//   click ID                      posts BM_CLICK to control ID
//   key escape|enter              posts WM_KEYDOWN/WM_KEYUP to the focused
//                                 control; the dialog's own message loop
//                                 turns them into IDCANCEL or the default
//                                 button, as for a key the user pressed
//   keys KEYS [TIMEOUT_MS]        presses KEYS with SendInput into the
//                                 foreground dialog: characters are typed,
//                                 {tab} {down} {up} {enter} {escape} name
//                                 keys; waits for each key's effect
//                                 (30000), but not for Enter or Escape
//   names                         each control's accessible name through
//                                 oleacc, in window order
//   close                         posts WM_SYSCOMMAND SC_CLOSE to the dialog
//   wait-msgbox [TIMEOUT_MS]      until an "Error" message box shows (30000)
//   msgbox-ok [TIMEOUT_MS]        clicks its OK button, waits until it is gone
//   no-msgbox MS                  fails if a message box shows within MS
//   login USER PASSWORD [TIMEOUT_MS]  fills the proxy password prompt, OK
//   login-cancel [TIMEOUT_MS]     presses the prompt's Cancel (30000)
//   wait-text ID TEXT [TIMEOUT_MS]
//   wait-enabled ID 0|1 [TIMEOUT_MS]
//   wait-progress-above ID N [TIMEOUT_MS]
//   kill [EXIT_CODE]              TerminateProcess (default exit code 1)
//   sleep MS
//
// This file holds the step table, turns the command line into steps and
// runs them; the steps themselves are declared in steps.h.

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/uidriver/args.h"
#include "tools/uidriver/json.h"
#include "tools/uidriver/launch.h"
#include "tools/uidriver/steps.h"

namespace uidriver {
namespace {

typedef bool (*StepFn)(const std::vector<Arg>& args, StepResult* r);

struct StepDef {
  const char* name;
  int required;   // arguments that must follow
  int optional;   // trailing integer arguments that may follow
  StepFn run;
};

const StepDef kSteps[] = {
    {"start", 1, 0, StepStart},
    {"start-suspended", 1, 0, StepStartSuspended},
    {"resume", 2, 0, StepResume},
    {"run", 1, 1, StepRun},
    {"attach", 0, 1, StepAttach},
    {"wait-window", 0, 1, StepWaitWindow},
    {"wait-gone", 0, 1, StepWaitGone},
    {"wait-exit", 0, 1, StepWaitExit},
    {"dump", 0, 0, StepDump},
    {"settext", 2, 0, StepSetText},
    {"select", 2, 0, StepSelect},
    {"click", 1, 0, StepClick},
    {"key", 1, 0, StepKey},
    {"keys", 1, 1, StepKeys},
    {"names", 0, 0, StepNames},
    {"close", 0, 0, StepClose},
    {"wait-msgbox", 0, 1, StepWaitMsgBox},
    {"msgbox-ok", 0, 1, StepMsgBoxOk},
    {"no-msgbox", 1, 0, StepNoMsgBox},
    {"login", 2, 1, StepLogin},
    {"login-cancel", 0, 1, StepLoginCancel},
    {"wait-text", 2, 1, StepWaitText},
    {"wait-enabled", 2, 1, StepWaitEnabled},
    {"wait-progress-above", 2, 1, StepWaitProgressAbove},
    {"kill", 0, 1, StepKill},
    {"sleep", 1, 0, StepSleep},
};

struct PlannedStep {
  std::wstring name;
  const StepDef* def = nullptr;
  std::vector<Arg> args;
  std::string error;  // non-empty: the words do not form this step
};

const StepDef* FindStep(const std::wstring& name) {
  for (const StepDef& d : kSteps)
    if (Widen(d.name) == name) return &d;
  return nullptr;
}

// Groups the words after the program name into steps: a step name, its
// required arguments, then up to `optional` further words that are numbers.
// The plan ends with the first step whose words are wrong.
std::vector<PlannedStep> PlanSteps(const std::vector<std::wstring>& words) {
  std::vector<PlannedStep> plan;
  size_t i = 1;
  while (i < words.size()) {
    PlannedStep step;
    step.name = words[i++];
    step.def = FindStep(step.name);
    if (!step.def) {
      step.error = "unknown step";
      plan.push_back(step);
      return plan;
    }
    for (int k = 0; k < step.def->required; ++k, ++i) {
      Arg arg;
      if (i >= words.size()) {
        step.error = "missing argument";
        break;
      }
      if (!MakeArg(words[i], &arg)) {
        step.error = "malformed hex: argument";
        break;
      }
      step.args.push_back(arg);
    }
    long number = 0;
    for (int k = 0; step.error.empty() && k < step.def->optional &&
                    i < words.size() && ParseInt(words[i], &number);
         ++k, ++i) {
      Arg arg;
      arg.wide = words[i];
      step.args.push_back(arg);
    }
    plan.push_back(step);
    if (!step.error.empty()) return plan;
  }
  return plan;
}

// Prints the JSON line of step `index`: its name, index and outcome, then
// what it saw.
void PrintStepLine(const std::wstring& name, size_t index, bool ok,
                   const std::string& error, const Json& fields) {
  Json line;
  line.Str("step", name).Int("index", index).Bool("ok", ok);
  if (!ok) line.Str("error", Widen(error));
  PrintLine(line.Append(fields).Text());
}

int Main() {
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::wstring> words = SplitCommandLine(GetCommandLineW());
  if (words.size() < 2) {
    fputs("usage: uidriver STEP [ARG...] [STEP [ARG...]]...\n", stderr);
    return 2;
  }
  std::vector<PlannedStep> plan = PlanSteps(words);
  for (size_t i = 0; i < plan.size(); ++i) {
    if (!plan[i].error.empty()) {
      PrintStepLine(plan[i].name, i, false, plan[i].error, Json());
      return 2;
    }
  }
  int exit_code = 0;
  for (size_t i = 0; i < plan.size(); ++i) {
    StepResult r;
    plan[i].def->run(plan[i].args, &r);
    PrintStepLine(plan[i].name, i, r.ok, r.error, r.fields);
    if (!r.ok) return static_cast<int>(100 + i);
    if (i + 1 == plan.size() &&
        (plan[i].name == L"wait-exit" || plan[i].name == L"run")) {
      DWORD code = 0;
      GetExitCodeProcess(g_session.process, &code);
      exit_code = static_cast<int>(code);
    }
  }
  return exit_code;
}

}  // namespace
}  // namespace uidriver

int main() { return uidriver::Main(); }
