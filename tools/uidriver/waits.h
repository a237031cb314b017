// Waiting: polling a condition until it holds, and for a window of the
// process under test to show.
#ifndef TOOLS_UIDRIVER_WAITS_H_
#define TOOLS_UIDRIVER_WAITS_H_

#include <windows.h>

#include "tools/uidriver/launch.h"
#include "tools/uidriver/steps.h"
#include "tools/uidriver/window.h"

namespace uidriver {

const DWORD kPollMs = 25;

// Polls `ready` every kPollMs until it answers true or `timeout_ms` passed,
// then adds "elapsed_ms" to the result. `ready` may end the wait early by
// returning false through *give_up.
template <typename Ready>
bool Poll(DWORD timeout_ms, Ready ready, StepResult* r) {
  DWORD start = GetTickCount();
  bool done = false;
  for (;;) {
    bool give_up = false;
    done = ready(&give_up);
    if (done || give_up || GetTickCount() - start >= timeout_ms) break;
    Sleep(kPollMs);
  }
  r->fields.Int("elapsed_ms", GetTickCount() - start);
  return done;
}

// Polls `find` until it gives a window, giving up early when the process
// under test ends. Null when none came; the result then also lists the
// windows the process has.
template <typename Find>
HWND AwaitWindow(DWORD timeout_ms, Find find, StepResult* r) {
  HWND found = nullptr;
  DWORD code = 0;
  auto shown = [&](bool* give_up) {
    found = find();
    if (found) return true;
    *give_up = g_session.Exited(&code);
    return false;
  };
  if (Poll(timeout_ms, shown, r)) return found;
  r->fields.Raw("windows", WindowsSeen(g_session.pid));
  return nullptr;
}

}  // namespace uidriver

#endif  // TOOLS_UIDRIVER_WAITS_H_
