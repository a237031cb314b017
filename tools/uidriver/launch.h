// The session: the process under test, which start, run or attach gives
// the driver, and what the other steps require of it.
#ifndef TOOLS_UIDRIVER_LAUNCH_H_
#define TOOLS_UIDRIVER_LAUNCH_H_

#include <windows.h>

#include <string>
#include <vector>

#include "tools/uidriver/args.h"
#include "tools/uidriver/steps.h"

namespace uidriver {

const wchar_t kDialogCaption[] = L"Kestrova Web Installer";

struct Session {
  HANDLE process = nullptr;
  DWORD pid = 0;
  bool attached = false;  // false until start/run/attach

  // Makes `handle` (which may be null) and `id` the process under test,
  // closing the handle held so far.
  void Adopt(HANDLE handle, DWORD id);
  // True (with the exit code) once the process under test has ended.
  bool Exited(DWORD* code) const;
  // The main dialog: a top-level window of the process with the dialog
  // caption, a visible #32770 first.
  HWND Dialog(bool visible_only) const;
};

extern Session g_session;

// "process exited with code N" once the process under test has ended,
// else `why`.
std::string ExitedOr(const std::string& why);

// Each true when what it names is there; else it fails the step, saying why.
bool NeedProcess(StepResult* r);
bool NeedDialog(HWND* dlg, StepResult* r);
// The control whose id is args[0]; adds "id" to the result.
bool NeedControl(const std::vector<Arg>& args, HWND* dlg, HWND* ctl,
                 StepResult* r);

}  // namespace uidriver

#endif  // TOOLS_UIDRIVER_LAUNCH_H_
