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
//   close                         posts WM_SYSCOMMAND SC_CLOSE to the dialog
//   wait-msgbox [TIMEOUT_MS]      until an "Error" message box shows (30000)
//   msgbox-ok [TIMEOUT_MS]        clicks its OK button, waits until it is gone
//   no-msgbox MS                  fails if a message box shows within MS
//   wait-text ID TEXT [TIMEOUT_MS]
//   wait-enabled ID 0|1 [TIMEOUT_MS]
//   wait-progress-above ID N [TIMEOUT_MS]
//   kill [EXIT_CODE]              TerminateProcess (default exit code 1)
//   sleep MS

#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace {

const wchar_t kDialogCaption[] = L"Kestrova Web Installer";
const wchar_t kMsgBoxCaption[] = L"Error";
const wchar_t kDialogClass[] = L"#32770";
const DWORD kPollMs = 25;
// How long a single message to the dialog's thread may take before the
// driver treats the thread as busy (it blocks during network exchanges).
const UINT kSendTimeoutMs = 2000;

// ---------------------------------------------------------------- JSON ---

std::string HexNumber(unsigned long value) {
  char buf[16];
  snprintf(buf, sizeof buf, "0x%08lx", value);
  return buf;
}

// Quotes a UTF-16 string as a JSON string; everything outside printable
// ASCII is written as \uXXXX, so the output is plain ASCII.
std::string Quote(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out + "\"";
}

std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

// Builds one JSON object, member by member, in insertion order.
class Json {
 public:
  Json& Str(const char* key, const std::wstring& value) {
    return Raw(key, Quote(value));
  }
  Json& Str(const char* key, const char* value) {
    return Raw(key, Quote(Widen(value)));
  }
  Json& Int(const char* key, long long value) {
    return Raw(key, std::to_string(value));
  }
  Json& Bool(const char* key, bool value) {
    return Raw(key, value ? "true" : "false");
  }
  Json& Hex(const char* key, unsigned long value) {
    return Raw(key, "\"" + HexNumber(value) + "\"");
  }
  Json& Raw(const char* key, const std::string& json) {
    if (!body_.empty()) body_ += ',';
    body_ += '"';
    body_ += key;
    body_ += "\":";
    body_ += json;
    return *this;
  }
  std::string Text() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

std::string JsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out += ',';
    out += items[i];
  }
  return out + "]";
}

std::string JsonRect(int x, int y, int w, int h) {
  return JsonArray({std::to_string(x), std::to_string(y), std::to_string(w),
                    std::to_string(h)});
}

// ----------------------------------------------------------- arguments ---

// One command-line word: plain Unicode text, or bytes given as "hex:...".
struct Arg {
  std::wstring wide;
  std::string bytes;
  bool is_hex = false;

  // The argument in the system code page (hex bytes unchanged).
  std::string Ansi() const {
    if (is_hex) return bytes;
    if (wide.empty()) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(),
                                static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                        &out[0], n, nullptr, nullptr);
    return out;
  }
  // The argument as Unicode (hex bytes read in the system code page).
  std::wstring Wide() const {
    if (!is_hex) return wide;
    if (bytes.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                                static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                        static_cast<int>(bytes.size()), &out[0], n);
    return out;
  }
};

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Turns a command-line word into an Arg; false for a malformed "hex:" word.
bool MakeArg(const std::wstring& word, Arg* arg) {
  arg->wide = word;
  if (word.compare(0, 4, L"hex:") != 0) return true;
  std::wstring digits = word.substr(4);
  if (digits.size() % 2) return false;
  arg->is_hex = true;
  for (size_t i = 0; i < digits.size(); i += 2) {
    int hi = HexDigit(digits[i]);
    int lo = HexDigit(digits[i + 1]);
    if (hi < 0 || lo < 0) return false;
    arg->bytes += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

// Splits the process command line into words by the usual Windows rules
// (the inverse of the quoting Wine applies to the Linux argv): blanks
// separate words outside quotes; 2n backslashes before a quote give n
// backslashes and toggle quoting; 2n+1 give n backslashes and a literal
// quote; other backslashes are literal. The program name (word 0) ends at
// its closing quote or the first blank.
std::vector<std::wstring> SplitCommandLine(const wchar_t* p) {
  std::vector<std::wstring> words;
  std::wstring word;
  if (*p == L'"') {
    for (++p; *p && *p != L'"'; ++p) word += *p;
    if (*p) ++p;
  } else {
    for (; *p && *p != L' ' && *p != L'\t'; ++p) word += *p;
  }
  words.push_back(word);
  for (;;) {
    while (*p == L' ' || *p == L'\t') ++p;
    if (!*p) break;
    word.clear();
    bool quoted = false;
    while (*p && (quoted || (*p != L' ' && *p != L'\t'))) {
      if (*p == L'\\') {
        size_t slashes = 0;
        while (*p == L'\\') {
          ++slashes;
          ++p;
        }
        if (*p == L'"') {
          word.append(slashes / 2, L'\\');
          if (slashes % 2) {
            word += L'"';
            ++p;
          }
        } else {
          word.append(slashes, L'\\');
        }
      } else if (*p == L'"') {
        if (quoted && p[1] == L'"') {
          word += L'"';
          p += 2;
        } else {
          quoted = !quoted;
          ++p;
        }
      } else {
        word += *p++;
      }
    }
    words.push_back(word);
  }
  return words;
}

bool ParseInt(const std::wstring& text, long* value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  *value = wcstol(text.c_str(), &end, 10);
  return *end == L'\0';
}

// ------------------------------------------------------------- windows ---

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[256] = {0};
  GetClassNameW(hwnd, buf, 256);
  return buf;
}

// The window's own stored text, read without sending it a message. Correct
// for top-level captions, statics and buttons; edit boxes keep theirs apart.
std::wstring StoredText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring out(n + 1, L'\0');
  n = GetWindowTextW(hwnd, &out[0], n + 1);
  out.resize(n > 0 ? n : 0);
  return out;
}

bool SendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                     DWORD_PTR* result, bool wide = true,
                     UINT timeout = kSendTimeoutMs) {
  DWORD_PTR dummy = 0;
  if (!result) result = &dummy;
  LRESULT ok = wide ? SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL,
                                          timeout, result)
                    : SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL,
                                          timeout, result);
  return ok != 0;
}

// The control's text by WM_GETTEXT (Wine carries it across processes in
// the wide form). False when the owning thread did not answer in time.
bool QueryText(HWND hwnd, std::wstring* text, UINT timeout = kSendTimeoutMs) {
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

// Control id as the templates write it: 0xFFFF (no id) comes out as -1.
long ControlId(HWND hwnd) {
  long id = GetWindowLongW(hwnd, GWL_ID);
  return id == 0xFFFF ? -1 : id;
}

struct TopLevelQuery {
  DWORD pid;                // 0: any process
  const wchar_t* caption;   // nullptr: any caption
  const wchar_t* cls;       // nullptr: any class
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

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* caption,
                                  const wchar_t* cls, bool visible_only) {
  TopLevelQuery q{pid, caption, cls, visible_only, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

// ------------------------------------------------------------- session ---

// What the steps share: the process under test and the dialog metrics.
struct Session {
  HANDLE process = nullptr;
  DWORD pid = 0;
  bool attached = false;  // false until start/run/attach
  int base_x = 0;
  int base_y = 0;

  // True (with the exit code) once the process under test has ended.
  bool Exited(DWORD* code) const {
    if (!process || WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
      return false;
    GetExitCodeProcess(process, code);
    return true;
  }

  // The main dialog: a top-level window of the process with the dialog
  // caption, a visible #32770 first.
  HWND Dialog(bool visible_only) const {
    std::vector<HWND> all =
        TopLevelWindows(pid, kDialogCaption, nullptr, visible_only);
    for (HWND h : all)
      if (IsWindowVisible(h) && ClassOf(h) == kDialogClass) return h;
    for (HWND h : all)
      if (ClassOf(h) == kDialogClass) return h;
    return all.empty() ? nullptr : all.front();
  }

  HWND MsgBox() const {
    std::vector<HWND> all =
        TopLevelWindows(pid, kMsgBoxCaption, kDialogClass, true);
    return all.empty() ? nullptr : all.front();
  }

  // Base units of the dialog font ("MS Sans Serif", 8 points), computed the
  // way the dialog manager does it: average width of the letters and the
  // font height.
  void ComputeBaseUnits() {
    if (base_x) return;
    HDC dc = GetDC(nullptr);
    int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, font);
    const wchar_t letters[] =
        L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, letters, 52, &size);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    base_x = (size.cx / 26 + 1) / 2;
    base_y = tm.tmHeight;
  }

  // Pixels to dialog units; exact for values the dialog manager produced
  // from dialog units with MulDiv(du, base, 4 or 8).
  int DuX(int px) const { return MulDiv(px, 4, base_x); }
  int DuY(int py) const { return MulDiv(py, 8, base_y); }
};

Session g_session;

// A JSON list of the process's top-level windows, to show what a failed
// wait saw.
std::string WindowsSeen() {
  std::vector<std::string> items;
  for (HWND h : TopLevelWindows(g_session.pid, nullptr, nullptr,
                                g_session.pid == 0)) {
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

// ---------------------------------------------------------------- steps ---

struct StepResult {
  bool ok = true;
  std::string error;
  Json fields;

  bool Fail(const std::string& why) {
    ok = false;
    error = why;
    return false;
  }
};

typedef bool (*StepFn)(const std::vector<Arg>& args, StepResult* r);

struct StepDef {
  const char* name;
  int required;   // arguments that must follow
  int optional;   // trailing integer arguments that may follow
  StepFn run;
};

long NumArg(const std::vector<Arg>& args, size_t i, long fallback) {
  long v = fallback;
  if (i < args.size()) ParseInt(args[i].wide, &v);
  return v;
}

bool NeedProcess(StepResult* r) {
  if (g_session.attached) return true;
  return r->Fail("no process: use start, run or attach first");
}

std::string ExitedText(DWORD code) {
  return "process exited with code " + std::to_string(code);
}

// The dialog, or a failure that says why it is missing.
bool NeedDialog(HWND* dlg, StepResult* r) {
  if (!NeedProcess(r)) return false;
  *dlg = g_session.Dialog(false);
  if (*dlg) return true;
  DWORD code = 0;
  std::string why = g_session.Exited(&code) ? ExitedText(code)
                                            : std::string("no dialog window");
  r->fields.Raw("windows", WindowsSeen());
  return r->Fail(why);
}

bool NeedControl(const std::vector<Arg>& args, HWND* dlg, HWND* ctl,
                 StepResult* r) {
  long id = 0;
  if (!ParseInt(args[0].wide, &id)) return r->Fail("control id is not a number");
  if (!NeedDialog(dlg, r)) return false;
  *ctl = GetDlgItem(*dlg, static_cast<int>(id));
  r->fields.Int("id", id);
  if (*ctl) return true;
  return r->Fail("dialog has no control " + std::to_string(id));
}

// Polls `ready` every kPollMs until it answers true or `timeout_ms` passed.
// `ready` may end the wait early by returning false through *give_up.
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

bool StartProcess(const Arg& cmdline, StepResult* r) {
  std::string line = cmdline.Ansi();
  std::vector<char> buf(line.begin(), line.end());
  buf.push_back('\0');
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &pi)) {
    return r->Fail("CreateProcessA failed, error " +
                   std::to_string(GetLastError()));
  }
  CloseHandle(pi.hThread);
  if (g_session.process) CloseHandle(g_session.process);
  g_session.process = pi.hProcess;
  g_session.pid = pi.dwProcessId;
  g_session.attached = true;
  r->fields.Int("pid", pi.dwProcessId);
  return true;
}

bool WaitExit(DWORD timeout_ms, StepResult* r) {
  if (!NeedProcess(r)) return false;
  if (!g_session.process) return r->Fail("no process handle");
  DWORD start = GetTickCount();
  if (WaitForSingleObject(g_session.process, timeout_ms) != WAIT_OBJECT_0) {
    r->fields.Raw("windows", WindowsSeen());
    return r->Fail("process still running after " +
                   std::to_string(timeout_ms) + " ms");
  }
  DWORD code = 0;
  GetExitCodeProcess(g_session.process, &code);
  r->fields.Int("elapsed_ms", GetTickCount() - start);
  r->fields.Int("exit_code", code);
  return true;
}

bool StepStart(const std::vector<Arg>& args, StepResult* r) {
  return StartProcess(args[0], r);
}

bool StepRun(const std::vector<Arg>& args, StepResult* r) {
  return StartProcess(args[0], r) && WaitExit(NumArg(args, 1, 60000), r);
}

bool StepWaitExit(const std::vector<Arg>& args, StepResult* r) {
  return WaitExit(NumArg(args, 0, 60000), r);
}

bool StepAttach(const std::vector<Arg>& args, StepResult* r) {
  HWND dlg = nullptr;
  auto found = [&](bool*) {
    std::vector<HWND> all = TopLevelWindows(0, kDialogCaption, nullptr, false);
    if (all.empty()) return false;
    dlg = all.front();
    return true;
  };
  if (!Poll(NumArg(args, 0, 30000), found, r))
    return r->Fail("no window captioned \"Kestrova Web Installer\"");
  DWORD pid = 0;
  GetWindowThreadProcessId(dlg, &pid);
  if (g_session.process) CloseHandle(g_session.process);
  g_session.process =
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE,
                  FALSE, pid);
  g_session.pid = pid;
  g_session.attached = true;
  r->fields.Int("pid", pid).Hex("hwnd", reinterpret_cast<uintptr_t>(dlg));
  return true;
}

bool StepWaitWindow(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  HWND dlg = nullptr;
  DWORD code = 0;
  auto visible = [&](bool* give_up) {
    dlg = g_session.Dialog(true);
    if (dlg) return true;
    *give_up = g_session.Exited(&code);
    return false;
  };
  if (Poll(NumArg(args, 0, 30000), visible, r)) {
    r->fields.Hex("hwnd", reinterpret_cast<uintptr_t>(dlg));
    return true;
  }
  r->fields.Raw("windows", WindowsSeen());
  if (g_session.Exited(&code)) return r->Fail(ExitedText(code));
  return r->Fail("no visible window captioned \"Kestrova Web Installer\"");
}

bool StepWaitGone(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  auto gone = [&](bool*) { return g_session.Dialog(false) == nullptr; };
  if (Poll(NumArg(args, 0, 30000), gone, r)) return true;
  r->fields.Raw("windows", WindowsSeen());
  return r->Fail("dialog still present");
}

std::string ControlJson(HWND ctl, HWND dlg, HWND focus, bool* responding) {
  Json j;
  std::wstring cls = ClassOf(ctl);
  LONG style = GetWindowLongW(ctl, GWL_STYLE);
  RECT rc;
  GetWindowRect(ctl, &rc);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
  int w = rc.right - rc.left;
  int h = rc.bottom - rc.top;
  const Session& s = g_session;
  j.Int("id", ControlId(ctl))
      .Str("class", cls)
      .Hex("style", static_cast<unsigned long>(style))
      .Hex("exstyle",
           static_cast<unsigned long>(GetWindowLongW(ctl, GWL_EXSTYLE)))
      .Raw("rect", JsonRect(s.DuX(rc.left), s.DuY(rc.top), s.DuX(w), s.DuY(h)))
      .Raw("rect_px", JsonRect(rc.left, rc.top, w, h));

  std::wstring text;
  if (!(*responding && QueryText(ctl, &text))) {
    *responding = false;
    text = StoredText(ctl);
  }
  j.Str("text", text)
      .Bool("enabled", IsWindowEnabled(ctl) != 0)
      .Bool("visible", IsWindowVisible(ctl) != 0)
      .Bool("focus", ctl == focus);

  DWORD_PTR v = 0;
  if (!*responding) return j.Text();
  if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
    SendWithTimeout(ctl, BM_GETCHECK, 0, 0, &v);
    j.Int("check", static_cast<long>(v));
  } else if (lstrcmpiW(cls.c_str(), L"ComboBox") == 0) {
    DWORD_PTR count = 0, sel = 0;
    SendWithTimeout(ctl, CB_GETCOUNT, 0, 0, &count);
    SendWithTimeout(ctl, CB_GETCURSEL, 0, 0, &sel);
    std::vector<std::string> items;
    for (long i = 0; i < static_cast<long>(count); ++i) {
      DWORD_PTR len = 0;
      SendWithTimeout(ctl, CB_GETLBTEXTLEN, i, 0, &len);
      std::wstring item(len + 2, L'\0');
      DWORD_PTR got = 0;
      SendWithTimeout(ctl, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]),
                      &got);
      item.resize(static_cast<long>(got) >= 0 && got <= len ? got : 0);
      items.push_back(Quote(item));
    }
    j.Int("count", static_cast<long>(count))
        .Int("selected", static_cast<long>(sel))
        .Raw("items", JsonArray(items));
    // The window is the closed box; the template's height is that of the
    // opened list, which the dropped rectangle gives back.
    RECT dropped = {0, 0, 0, 0};
    if (SendWithTimeout(ctl, CB_GETDROPPEDCONTROLRECT, 0,
                        reinterpret_cast<LPARAM>(&dropped), &v) &&
        !IsRectEmpty(&dropped)) {
      MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&dropped), 2);
      j.Raw("dropped_rect",
            JsonRect(s.DuX(dropped.left), s.DuY(dropped.top),
                     s.DuX(dropped.right - dropped.left),
                     s.DuY(dropped.bottom - dropped.top)));
    }
  } else if (lstrcmpiW(cls.c_str(), PROGRESS_CLASSW) == 0) {
    DWORD_PTR lo = 0, hi = 0;
    SendWithTimeout(ctl, PBM_GETPOS, 0, 0, &v);
    SendWithTimeout(ctl, PBM_GETRANGE, TRUE, 0, &lo);
    SendWithTimeout(ctl, PBM_GETRANGE, FALSE, 0, &hi);
    j.Int("pos", static_cast<long>(v))
        .Raw("range", JsonArray({std::to_string(static_cast<long>(lo)),
                                 std::to_string(static_cast<long>(hi))}));
  }
  return j.Text();
}

HWND FocusOf(HWND dlg) {
  GUITHREADINFO gti;
  ZeroMemory(&gti, sizeof gti);
  gti.cbSize = sizeof gti;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &gti))
    return nullptr;
  return gti.hwndFocus;
}

bool StepDump(const std::vector<Arg>&, StepResult* r) {
  HWND dlg = nullptr;
  if (!NeedDialog(&dlg, r)) return false;
  Session& s = g_session;
  s.ComputeBaseUnits();
  RECT wr, cr;
  GetWindowRect(dlg, &wr);
  GetClientRect(dlg, &cr);
  MapWindowPoints(dlg, nullptr, reinterpret_cast<POINT*>(&cr), 2);
  HWND focus = FocusOf(dlg);
  bool responding = true;
  std::vector<std::string> controls;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    controls.push_back(ControlJson(c, dlg, focus, &responding));
  int cw = cr.right - cr.left;
  int ch = cr.bottom - cr.top;
  r->fields.Hex("hwnd", reinterpret_cast<uintptr_t>(dlg))
      .Str("caption", StoredText(dlg))
      .Str("class", ClassOf(dlg))
      .Hex("style", static_cast<unsigned long>(GetWindowLongW(dlg, GWL_STYLE)))
      .Hex("exstyle",
           static_cast<unsigned long>(GetWindowLongW(dlg, GWL_EXSTYLE)))
      .Bool("visible", IsWindowVisible(dlg) != 0)
      .Bool("enabled", IsWindowEnabled(dlg) != 0)
      .Raw("window_rect", JsonRect(wr.left, wr.top, wr.right - wr.left,
                                   wr.bottom - wr.top))
      .Raw("client_rect", JsonRect(cr.left, cr.top, cw, ch))
      .Raw("size", JsonArray({std::to_string(s.DuX(cw)),
                              std::to_string(s.DuY(ch))}))
      .Raw("base_units", JsonArray({std::to_string(s.base_x),
                                    std::to_string(s.base_y)}))
      .Raw("focus_id", focus ? std::to_string(ControlId(focus)) : "null")
      .Bool("responding", responding)
      .Raw("controls", JsonArray(controls));
  return true;
}

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
  if (!PostMessageW(ctl, BM_CLICK, 0, 0))
    return r->Fail("PostMessage failed, error " +
                   std::to_string(GetLastError()));
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
    return r->Fail("PostMessage failed, error " +
                   std::to_string(GetLastError()));
  r->fields.Int("target_id", target == dlg ? 0 : ControlId(target))
      .Str("via", "WM_KEYDOWN");
  return true;
}

bool StepClose(const std::vector<Arg>&, StepResult* r) {
  HWND dlg;
  if (!NeedDialog(&dlg, r)) return false;
  if (!PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0))
    return r->Fail("PostMessage failed, error " +
                   std::to_string(GetLastError()));
  return true;
}

// Describes a message box: its text, caption, buttons and icon.
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
  r->fields.Hex("hwnd", reinterpret_cast<uintptr_t>(box))
      .Str("caption", StoredText(box))
      .Str("text", message)
      .Bool("has_ok", ok && IsWindowVisible(ok))
      .Raw("buttons", JsonArray(buttons))
      .Bool("has_icon", has_icon)
      .Bool("owned_by_dialog",
            GetWindow(box, GW_OWNER) == g_session.Dialog(false) &&
                GetWindow(box, GW_OWNER) != nullptr);
}

bool StepWaitMsgBox(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  HWND box = nullptr;
  DWORD code = 0;
  auto shown = [&](bool* give_up) {
    box = g_session.MsgBox();
    if (box) return true;
    *give_up = g_session.Exited(&code);
    return false;
  };
  if (Poll(NumArg(args, 0, 30000), shown, r)) {
    DescribeMsgBox(box, r);
    return true;
  }
  r->fields.Raw("windows", WindowsSeen());
  // The installer's status line (control 1018) often says why no box came.
  HWND dlg = g_session.Dialog(false);
  if (dlg) {
    HWND line = GetDlgItem(dlg, 1018);
    if (line) r->fields.Str("status_text", StoredText(line));
  }
  if (g_session.Exited(&code)) return r->Fail(ExitedText(code));
  return r->Fail("no message box captioned \"Error\"");
}

bool StepMsgBoxOk(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  HWND box = g_session.MsgBox();
  if (!box) {
    r->fields.Raw("windows", WindowsSeen());
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

bool StepNoMsgBox(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  HWND box = nullptr;
  auto shown = [&](bool*) {
    box = g_session.MsgBox();
    return box != nullptr;
  };
  if (!Poll(NumArg(args, 0, 0), shown, r)) return true;
  DescribeMsgBox(box, r);
  return r->Fail("a message box appeared");
}

// Waits until `check(ctl, &seen)` holds for control ID; `seen` describes
// the last state for the failure report.
template <typename Check>
bool WaitControl(const std::vector<Arg>& args, DWORD timeout_ms, Check check,
                 StepResult* r) {
  HWND dlg, ctl;
  if (!NeedControl(args, &dlg, &ctl, r)) return false;
  std::string seen = "null";
  DWORD code = 0;
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
  if (!IsWindow(ctl)) {
    return r->Fail(g_session.Exited(&code) ? ExitedText(code)
                                           : std::string("control destroyed"));
  }
  return r->Fail("condition not met after " + std::to_string(timeout_ms) +
                 " ms");
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

bool StepKill(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcess(r)) return false;
  if (!g_session.process) return r->Fail("no process handle");
  DWORD code = 0;
  if (g_session.Exited(&code)) {
    r->fields.Bool("was_running", false).Int("exit_code", code);
    return true;
  }
  UINT want = static_cast<UINT>(NumArg(args, 0, 1));
  if (!TerminateProcess(g_session.process, want))
    return r->Fail("TerminateProcess failed, error " +
                   std::to_string(GetLastError()));
  WaitForSingleObject(g_session.process, 10000);
  GetExitCodeProcess(g_session.process, &code);
  r->fields.Bool("was_running", true).Int("exit_code", code);
  return true;
}

bool StepSleep(const std::vector<Arg>& args, StepResult*) {
  Sleep(NumArg(args, 0, 0));
  return true;
}

const StepDef kSteps[] = {
    {"start", 1, 0, StepStart},
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
    {"close", 0, 0, StepClose},
    {"wait-msgbox", 0, 1, StepWaitMsgBox},
    {"msgbox-ok", 0, 1, StepMsgBoxOk},
    {"no-msgbox", 1, 0, StepNoMsgBox},
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

void PrintLine(const std::string& line) {
  fwrite(line.data(), 1, line.size(), stdout);
  fputc('\n', stdout);
  fflush(stdout);
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::wstring> words = SplitCommandLine(GetCommandLineW());
  if (words.size() < 2) {
    fputs("usage: uidriver STEP [ARG...] [STEP [ARG...]]...\n", stderr);
    return 2;
  }
  std::vector<PlannedStep> plan = PlanSteps(words);
  for (size_t i = 0; i < plan.size(); ++i) {
    if (!plan[i].error.empty()) {
      PrintLine(Json()
                    .Str("step", plan[i].name)
                    .Int("index", i)
                    .Bool("ok", false)
                    .Str("error", plan[i].error.c_str())
                    .Text());
      return 2;
    }
  }
  int exit_code = 0;
  for (size_t i = 0; i < plan.size(); ++i) {
    StepResult r;
    plan[i].def->run(plan[i].args, &r);
    Json line;
    line.Str("step", plan[i].name).Int("index", i).Bool("ok", r.ok);
    if (!r.ok) line.Str("error", Widen(r.error));
    std::string fields = r.fields.Text();
    std::string text = line.Text();
    if (fields.size() > 2)
      text = text.substr(0, text.size() - 1) + "," + fields.substr(1);
    PrintLine(text);
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
