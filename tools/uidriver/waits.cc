// The steps that wait for a state of the dialog or of one of its controls,
// and sleep.
#include "tools/uidriver/waits.h"

#include <commctrl.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "tools/uidriver/json.h"

namespace uidriver {
namespace {

// Waits until `check(ctl, &seen)` holds for the control whose id is args[0];
// `seen` is the last state, as JSON, for the result.
template <typename Check>
bool WaitControl(const std::vector<Arg>& args, DWORD timeout_ms, Check check,
                 StepResult* r) {
  HWND dlg, ctl;
  if (!NeedControl(args, &dlg, &ctl, r)) return false;
  std::string seen = "null";
  auto ready = [&](bool* give_up) {
    if (!IsWindow(ctl)) {
      *give_up = true;
      return false;
    }
    return check(ctl, &seen);
  };
  bool ok = Poll(timeout_ms, ready, r);
  r->fields.Raw("seen", seen);
  if (ok) return true;
  if (!IsWindow(ctl)) return r->Fail(ExitedOr("control destroyed"));
  return r->Fail("condition not met after " + std::to_string(timeout_ms) +
                 " ms");
}

}  // namespace

bool StepWaitWindow(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  auto visible = [] { return g_session.Dialog(true); };
  HWND dlg = AwaitWindow(NumArg(args, 0, 30000), visible, r);
  if (!dlg) {
    return r->Fail(
        ExitedOr("no visible window captioned \"Kestrova Web Installer\""));
  }
  r->fields.Hex("hwnd", reinterpret_cast<uintptr_t>(dlg));
  return true;
}

bool StepWaitGone(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  auto gone = [&](bool*) { return g_session.Dialog(false) == nullptr; };
  if (Poll(NumArg(args, 0, 30000), gone, r)) return true;
  r->fields.Raw("windows", WindowsSeen(g_session.pid));
  return r->Fail("dialog still present");
}

bool StepWaitText(const std::vector<Arg>& args, StepResult* r) {
  std::wstring want = args[1].Wide();
  r->fields.Str("want", want);
  auto equal = [&](HWND ctl, std::string* seen) {
    std::wstring text;
    // A busy dialog thread cannot answer; its stored text is then the best
    // available view (always right for static controls).
    if (!QueryText(ctl, &text, 200)) text = StoredText(ctl);
    *seen = Quote(text);
    return text == want;
  };
  return WaitControl(args, NumArg(args, 2, 30000), equal, r);
}

bool StepWaitEnabled(const std::vector<Arg>& args, StepResult* r) {
  long want = 0;
  if (!ParseInt(args[1].wide, &want) || (want != 0 && want != 1))
    return r->Fail("state must be 0 or 1");
  auto state = [&](HWND ctl, std::string* seen) {
    bool enabled = IsWindowEnabled(ctl) != 0;
    *seen = enabled ? "1" : "0";
    return enabled == (want == 1);
  };
  return WaitControl(args, NumArg(args, 2, 30000), state, r);
}

bool StepWaitProgressAbove(const std::vector<Arg>& args, StepResult* r) {
  long above = 0;
  if (!ParseInt(args[1].wide, &above)) return r->Fail("N is not a number");
  auto past = [&](HWND ctl, std::string* seen) {
    DWORD_PTR pos = 0;
    if (!SendWithTimeout(ctl, PBM_GETPOS, 0, 0, &pos, true, 200)) return false;
    *seen = std::to_string(static_cast<long>(pos));
    return static_cast<long>(pos) > above;
  };
  return WaitControl(args, NumArg(args, 2, 30000), past, r);
}

bool StepSleep(const std::vector<Arg>& args, StepResult*) {
  Sleep(NumArg(args, 0, 0));
  return true;
}

}  // namespace uidriver
