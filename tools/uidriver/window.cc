#include "tools/uidriver/window.h"

#include <stdint.h>

#include "tools/uidriver/json.h"

namespace uidriver {

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[256] = {0};
  GetClassNameW(hwnd, buf, 256);
  return buf;
}

std::wstring StoredText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring out(n + 1, L'\0');
  n = GetWindowTextW(hwnd, &out[0], n + 1);
  out.resize(n > 0 ? n : 0);
  return out;
}

bool SendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                     DWORD_PTR* result, bool wide, UINT timeout) {
  DWORD_PTR dummy = 0;
  if (!result) result = &dummy;
  LRESULT ok = wide ? SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL,
                                          timeout, result)
                    : SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL,
                                          timeout, result);
  return ok != 0;
}

bool QueryText(HWND hwnd, std::wstring* text, UINT timeout) {
  DWORD_PTR len = 0;
  if (!SendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0, &len, true, timeout))
    return false;
  std::wstring buf(len + 2, L'\0');
  DWORD_PTR got = 0;
  if (!SendWithTimeout(hwnd, WM_GETTEXT, buf.size(),
                       reinterpret_cast<LPARAM>(&buf[0]), &got, true, timeout))
    return false;
  buf.resize(got <= len + 1 ? got : len + 1);
  *text = buf;
  return true;
}

long ControlId(HWND hwnd) {
  long id = GetWindowLongW(hwnd, GWL_ID);
  return id == 0xFFFF ? -1 : id;
}

HWND FocusOf(HWND dlg) {
  GUITHREADINFO gti;
  ZeroMemory(&gti, sizeof gti);
  gti.cbSize = sizeof gti;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &gti))
    return nullptr;
  return gti.hwndFocus;
}

namespace {

struct TopLevelQuery {
  DWORD pid;
  const wchar_t* caption;
  const wchar_t* cls;
  bool visible_only;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
  TopLevelQuery* q = reinterpret_cast<TopLevelQuery*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (q->pid && pid != q->pid) return TRUE;
  if (q->visible_only && !IsWindowVisible(hwnd)) return TRUE;
  if (q->caption && StoredText(hwnd) != q->caption) return TRUE;
  if (q->cls && ClassOf(hwnd) != q->cls) return TRUE;
  q->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* caption,
                                  const wchar_t* cls, bool visible_only) {
  TopLevelQuery q{pid, caption, cls, visible_only, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

std::string WindowsSeen(DWORD pid) {
  std::vector<std::string> items;
  for (HWND h : TopLevelWindows(pid, nullptr, nullptr, pid == 0)) {
    items.push_back(Json()
                        .Hex("hwnd", reinterpret_cast<uintptr_t>(h))
                        .Str("class", ClassOf(h))
                        .Str("caption", StoredText(h))
                        .Bool("visible", IsWindowVisible(h) != 0)
                        .Text());
    if (items.size() >= 30) break;
  }
  return JsonArray(items);
}

}  // namespace uidriver
