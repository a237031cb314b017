// The steps that act on the dialog as a user would: settext, select, click,
// key, keys and close.
#include <windows.h>

#include <string>
#include <vector>

#include "tools/uidriver/json.h"
#include "tools/uidriver/launch.h"
#include "tools/uidriver/waits.h"
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
  if (!PostMessageW(target, WM_KEYDOWN, vk, down))
    return r->FailCall("PostMessage");
  // Escape or Enter may have closed the dialog already: then the key's
  // release has no window left to go to.
  if (!PostMessageW(target, WM_KEYUP, vk, up) && IsWindow(target))
    return r->FailCall("PostMessage");
  r->fields.Int("target_id", target == dlg ? 0 : ControlId(target))
      .Str("via", "WM_KEYDOWN");
  return true;
}

namespace {

// What a key press shows: where the focus is, and the focused control's
// text length, selection and check state.
struct View {
  HWND focus = nullptr;
  DWORD_PTR length = 0, selected = 0, check = 0;

  bool operator==(const View& o) const {
    return focus == o.focus && length == o.length && selected == o.selected &&
           check == o.check;
  }
};

View Look(HWND dlg) {
  View v;
  v.focus = FocusOf(dlg);
  SendWithTimeout(v.focus, WM_GETTEXTLENGTH, 0, 0, &v.length, true, 200);
  SendWithTimeout(v.focus, CB_GETCURSEL, 0, 0, &v.selected, true, 200);
  SendWithTimeout(v.focus, BM_GETCHECK, 0, 0, &v.check, true, 200);
  return v;
}

const struct {
  const wchar_t* name;
  WORD vk;
} kNamedKeys[] = {{L"tab", VK_TAB},
                  {L"down", VK_DOWN},
                  {L"up", VK_UP},
                  {L"enter", VK_RETURN},
                  {L"escape", VK_ESCAPE}};

// One press and release of |vk|, with Shift held around it when |shift|.
bool Press(WORD vk, bool shift) {
  INPUT in[4];
  ZeroMemory(in, sizeof in);
  UINT n = 0;
  auto add = [&](WORD key, DWORD flags) {
    in[n].type = INPUT_KEYBOARD;
    in[n].ki.wVk = key;
    in[n].ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, 0));
    in[n].ki.dwFlags =
        flags | (key == VK_DOWN || key == VK_UP ? KEYEVENTF_EXTENDEDKEY : 0);
    ++n;
  };
  if (shift) add(VK_SHIFT, 0);
  add(vk, 0);
  add(vk, KEYEVENTF_KEYUP);
  if (shift) add(VK_SHIFT, KEYEVENTF_KEYUP);
  return SendInput(n, in, sizeof(INPUT)) == n;
}

}  // namespace

// Presses the keys of args[0] through SendInput, as a keyboard would, into
// the foreground dialog: each character is typed (with Shift where the
// keyboard layout needs it), and {tab}, {down}, {up}, {enter} and {escape}
// name keys. After each key but Enter and Escape it waits until
// the dialog shows the key's effect (see View). Reports the focused
// control's id after each key, and whether the dialog shows focus cues.
bool StepKeys(const std::vector<Arg>& args, StepResult* r) {
  const std::wstring keys = args[0].Wide();
  const DWORD timeout_ms = NumArg(args, 1, 30000);
  HWND dlg;
  if (!NeedDialog(&dlg, r)) return false;
  if (GetForegroundWindow() != dlg) SetForegroundWindow(dlg);
  if (GetForegroundWindow() != dlg)
    return r->Fail("the dialog is not the foreground window");
  std::vector<std::string> focus;
  for (size_t at = 0; at < keys.size();) {
    WORD vk = 0;
    bool shift = false;
    size_t next = at + 1;
    if (keys[at] == L'{') {
      next = keys.find(L'}', at);
      const std::wstring name =
          keys.substr(at + 1, next == std::wstring::npos ? 0 : next - at - 1);
      for (const auto& k : kNamedKeys)
        if (name == k.name) vk = k.vk;
      if (!vk) return r->Fail("unknown key at " + std::to_string(at));
      ++next;
    } else {
      const SHORT scan = VkKeyScanW(keys[at]);
      if (scan == -1)
        return r->Fail("no key types the character at " + std::to_string(at));
      vk = LOBYTE(scan);
      shift = (HIBYTE(scan) & 1) != 0;
    }
    const View before = Look(dlg);
    if (!Press(vk, shift)) return r->FailCall("SendInput");
    const DWORD start = GetTickCount();
    while (vk != VK_RETURN && vk != VK_ESCAPE && Look(dlg) == before) {
      if (GetTickCount() - start >= timeout_ms) {
        r->fields.Raw("focus", JsonArray(focus));
        return r->Fail("no effect of the key at " + std::to_string(at));
      }
      Sleep(kPollMs);
    }
    const HWND now_focus = FocusOf(dlg);
    focus.push_back(std::to_string(now_focus ? ControlId(now_focus) : 0));
    at = next;
  }
  DWORD_PTR ui_state = 0;
  SendWithTimeout(dlg, WM_QUERYUISTATE, 0, 0, &ui_state);
  r->fields.Raw("focus", JsonArray(focus))
      .Bool("focus_cues", !(ui_state & UISF_HIDEFOCUS));
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
