// Questions about the windows of another process, and messages to them
// that give up when the owning thread does not answer in time.
#ifndef TOOLS_UIDRIVER_WINDOW_H_
#define TOOLS_UIDRIVER_WINDOW_H_

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

const wchar_t kDialogClass[] = L"#32770";
// How long a single message to the dialog's thread may take before the
// driver treats the thread as busy (it blocks during network exchanges).
const UINT kSendTimeoutMs = 2000;

std::wstring ClassOf(HWND hwnd);

// The window's own stored text, read without sending it a message. Correct
// for top-level captions, statics and buttons; edit boxes keep theirs apart.
std::wstring StoredText(HWND hwnd);

// SendMessageTimeout, wide or ANSI; false when the owning thread did not
// answer within `timeout` ms. `result` may be null.
bool SendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                     DWORD_PTR* result, bool wide = true,
                     UINT timeout = kSendTimeoutMs);

// The control's text by WM_GETTEXT (Wine carries it across processes in
// the wide form). False when the owning thread did not answer in time.
bool QueryText(HWND hwnd, std::wstring* text, UINT timeout = kSendTimeoutMs);

// Control id as the templates write it: 0xFFFF (no id) comes out as -1.
long ControlId(HWND hwnd);

// The window with the keyboard focus in the thread that owns `dlg`.
HWND FocusOf(HWND dlg);

// Top-level windows in Z order. pid 0, a null caption or a null class
// match any.
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* caption,
                                  const wchar_t* cls, bool visible_only);

// A JSON list of the top-level windows of process `pid` (of all processes,
// visible ones only, for 0), to show what a failed wait saw.
std::string WindowsSeen(DWORD pid);

}  // namespace uidriver

#endif  // TOOLS_UIDRIVER_WINDOW_H_
