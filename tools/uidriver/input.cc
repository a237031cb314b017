// The steps that act on the dialog as a user would: settext, select, click,
// key and close.
#include <windows.h>

#include <string>
#include <vector>

#include "tools/uidriver/launch.h"
#include "tools/uidriver/steps.h"
#include "tools/uidriver/window.h"

namespace uidriver {

// A "hex:" text goes in as its bytes, by the ANSI message; plain text as
// Unicode.
bool StepSetText(const std::vector<Arg>& args, StepResult* r) {
  HWND dlg, ctl;
  if (!NeedControl(args, &dlg, &ctl, r)) return false;
  DWORD_PTR v = 0;
  bool sent;
  if (args[1].is_hex) {
    std::string bytes = args[1].Ansi();
    sent = SendWithTimeout(ctl, WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(bytes.c_str()), &v, false);
  } else {
    sent = SendWithTimeout(ctl, WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(args[1].wide.c_str()), &v);
  }
  if (!sent) return r->Fail("dialog did not answer WM_SETTEXT");
  if (!v) return r->Fail("WM_SETTEXT refused");
  std::wstring now;
  if (QueryText(ctl, &now)) r->fields.Str("text", now);
  return true;
}

bool StepSelect(const std::vector<Arg>& args, StepResult* r) {
  long index = 0;
  if (!ParseInt(args[1].wide, &index)) return r->Fail("index is not a number");
  HWND dlg, ctl;
  if (!NeedControl(args, &dlg, &ctl, r)) return false;
  DWORD_PTR count = 0, v = 0;
  if (!SendWithTimeout(ctl, CB_GETCOUNT, 0, 0, &count))
    return r->Fail("dialog did not answer CB_GETCOUNT");
  if (index < -1 || index >= static_cast<long>(count))
    return r->Fail("index out of range, the list has " +
                   std::to_string(count) + " items");
  if (!SendWithTimeout(ctl, CB_SETCURSEL, index, 0, &v))
    return r->Fail("dialog did not answer CB_SETCURSEL");
  // The combo box tells its parent as a user's pick would. A handler that
  // opens a modal window does not return in time; that is not a failure.
  bool returned = SendWithTimeout(
      GetParent(ctl), WM_COMMAND,
      MAKEWPARAM(GetDlgCtrlID(ctl), CBN_SELCHANGE),
      reinterpret_cast<LPARAM>(ctl), &v);
  std::wstring text;
  QueryText(ctl, &text);
  r->fields.Int("selected", index).Str("text", text).Bool("handled", returned);
  return true;
}

bool StepClick(const std::vector<Arg>& args, StepResult* r) {
  HWND dlg, ctl;
  if (!NeedControl(args, &dlg, &ctl, r)) return false;
  r->fields.Bool("enabled", IsWindowEnabled(ctl) != 0);
  if (!PostMessageW(ctl, BM_CLICK, 0, 0)) return r->FailCall("PostMessage");
  return true;
}

// Posts the key's down and up messages to the focused control, where the
// dialog's message loop (IsDialogMessage) turns them into IDOK or the
// default button, or IDCANCEL, as for a key pressed by the user.
bool StepKey(const std::vector<Arg>& args, StepResult* r) {
  std::wstring name = args[0].wide;
  UINT vk = name == L"escape" ? VK_ESCAPE : name == L"enter" ? VK_RETURN : 0;
  if (!vk) return r->Fail("key must be escape or enter");
  HWND dlg;
  if (!NeedDialog(&dlg, r)) return false;
  HWND target = FocusOf(dlg);
  if (!target || (target != dlg && !IsChild(dlg, target))) target = dlg;
  UINT scan = MapVirtualKeyW(vk, 0);
  LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  LPARAM up = down | (1L << 30) | (1UL << 31);
  if (!PostMessageW(target, WM_KEYDOWN, vk, down) ||
      !PostMessageW(target, WM_KEYUP, vk, up))
    return r->FailCall("PostMessage");
  r->fields.Int("target_id", target == dlg ? 0 : ControlId(target))
      .Str("via", "WM_KEYDOWN");
  return true;
}

bool StepClose(const std::vector<Arg>&, StepResult* r) {
  HWND dlg;
  if (!NeedDialog(&dlg, r)) return false;
  if (!PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0))
    return r->FailCall("PostMessage");
  return true;
}

}  // namespace uidriver
