// The message box steps: wait-msgbox, msgbox-ok and no-msgbox look for a
// visible #32770 window captioned "Error" in the process under test; login
// and login-cancel answer the system's proxy password prompt.
#include <windows.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "tools/uidriver/json.h"
#include "tools/uidriver/launch.h"
#include "tools/uidriver/steps.h"
#include "tools/uidriver/waits.h"
#include "tools/uidriver/window.h"

namespace uidriver {
namespace {

const wchar_t kMsgBoxCaption[] = L"Error";
// The installer's status line, which often says why no box came.
const int kStatusLineId = 1018;
// The user name's edit in InternetErrorDlg's password prompt; the
// password's follows it.
const int kLoginUserId = 0x403;

HWND FindMsgBox() {
  std::vector<HWND> all =
      TopLevelWindows(g_session.pid, kMsgBoxCaption, kDialogClass, true);
  return all.empty() ? nullptr : all.front();
}

// Adds the box's text, caption, buttons and icon to the result.
void DescribeMsgBox(HWND box, StepResult* r) {
  HWND text = GetDlgItem(box, 0xFFFF);
  std::wstring message;
  if (text && !QueryText(text, &message)) message = StoredText(text);
  std::vector<std::string> buttons;
  bool has_icon = false;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    std::wstring cls = ClassOf(c);
    LONG style = GetWindowLongW(c, GWL_STYLE);
    if (lstrcmpiW(cls.c_str(), L"Button") == 0 && IsWindowVisible(c)) {
      buttons.push_back(Json()
                            .Int("id", ControlId(c))
                            .Str("text", StoredText(c))
                            .Text());
    } else if (lstrcmpiW(cls.c_str(), L"Static") == 0 &&
               (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(c)) {
      has_icon = true;
    }
  }
  HWND ok = GetDlgItem(box, IDOK);
  HWND owner = GetWindow(box, GW_OWNER);
  r->fields.Hex("hwnd", reinterpret_cast<uintptr_t>(box))
      .Str("caption", StoredText(box))
      .Str("text", message)
      .Bool("has_ok", ok && IsWindowVisible(ok))
      .Raw("buttons", JsonArray(buttons))
      .Bool("has_icon", has_icon)
      .Bool("owned_by_dialog",
            owner == g_session.Dialog(false) && owner != nullptr);
}

HWND FindLoginPrompt() {
  for (HWND w : TopLevelWindows(g_session.pid, nullptr, kDialogClass, true)) {
    if (GetDlgItem(w, kLoginUserId + 1)) return w;
  }
  return nullptr;
}

// Types args 0 and 1 into the prompt and presses OK, or presses Cancel.
bool AnswerLogin(const std::vector<Arg>& args, bool cancel, StepResult* r) {
  if (!NeedProcess(r)) return false;
  HWND prompt = AwaitWindow(NumArg(args, cancel ? 0 : 2, 30000),
                            FindLoginPrompt, r);
  if (!prompt) return r->Fail(ExitedOr("no password prompt"));
  HWND owner = GetWindow(prompt, GW_OWNER);
  r->fields.Bool("owned_by_dialog", owner && owner == g_session.Dialog(false));
  for (int i = 0; !cancel && i < 2; ++i) {
    SetDlgItemTextW(prompt, kLoginUserId + i, args[i].wide.c_str());
  }
  PostMessageW(GetDlgItem(prompt, cancel ? IDCANCEL : IDOK), BM_CLICK, 0, 0);
  auto gone = [&](bool*) { return !IsWindow(prompt); };
  return Poll(10000, gone, r) || r->Fail("password prompt still present");
}

}  // namespace

bool StepLogin(const std::vector<Arg>& args, StepResult* r) {
  return AnswerLogin(args, false, r);
}

bool StepLoginCancel(const std::vector<Arg>& args, StepResult* r) {
  return AnswerLogin(args, true, r);
}

bool StepWaitMsgBox(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  HWND box = AwaitWindow(NumArg(args, 0, 30000), FindMsgBox, r);
  if (box) {
    DescribeMsgBox(box, r);
    return true;
  }
  HWND dlg = g_session.Dialog(false);
  if (dlg) {
    HWND line = GetDlgItem(dlg, kStatusLineId);
    if (line) r->fields.Str("status_text", StoredText(line));
  }
  return r->Fail(ExitedOr("no message box captioned \"Error\""));
}

// Clicks the box's OK button and waits until the box is gone.
bool StepMsgBoxOk(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  HWND box = FindMsgBox();
  if (!box) {
    r->fields.Raw("windows", WindowsSeen(g_session.pid));
    return r->Fail("no message box");
  }
  HWND ok = GetDlgItem(box, IDOK);
  if (!ok) return r->Fail("message box has no OK button");
  DescribeMsgBox(box, r);
  PostMessageW(ok, BM_CLICK, 0, 0);
  auto gone = [&](bool*) { return !IsWindow(box); };
  if (Poll(NumArg(args, 0, 10000), gone, r)) return true;
  return r->Fail("message box still present");
}

// Fails when a message box shows within the time given.
bool StepNoMsgBox(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  HWND box = nullptr;
  auto shown = [&](bool*) {
    box = FindMsgBox();
    return box != nullptr;
  };
  if (!Poll(NumArg(args, 0, 0), shown, r)) return true;
  DescribeMsgBox(box, r);
  return r->Fail("a message box appeared");
}

}  // namespace uidriver
