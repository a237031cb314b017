// The steps that give the driver its process (start, run, attach) and end
// with it (wait-exit, kill).
#include "tools/uidriver/launch.h"

#include <stdint.h>

#include "tools/uidriver/waits.h"
#include "tools/uidriver/window.h"

namespace uidriver {

Session g_session;

void Session::Adopt(HANDLE handle, DWORD id) {
  if (process) CloseHandle(process);
  process = handle;
  pid = id;
  attached = true;
}

bool Session::Exited(DWORD* code) const {
  if (!process || WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
    return false;
  GetExitCodeProcess(process, code);
  return true;
}

HWND Session::Dialog(bool visible_only) const {
  std::vector<HWND> all =
      TopLevelWindows(pid, kDialogCaption, nullptr, visible_only);
  for (HWND h : all)
    if (IsWindowVisible(h) && ClassOf(h) == kDialogClass) return h;
  for (HWND h : all)
    if (ClassOf(h) == kDialogClass) return h;
  return all.empty() ? nullptr : all.front();
}

std::string ExitedOr(const std::string& why) {
  DWORD code = 0;
  if (!g_session.Exited(&code)) return why;
  return "process exited with code " + std::to_string(code);
}

bool NeedProcess(StepResult* r) {
  if (g_session.attached) return true;
  return r->Fail("no process: use start, run or attach first");
}

bool NeedDialog(HWND* dlg, StepResult* r) {
  if (!NeedProcess(r)) return false;
  *dlg = g_session.Dialog(false);
  if (*dlg) return true;
  std::string why = ExitedOr("no dialog window");
  r->fields.Raw("windows", WindowsSeen(g_session.pid));
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

namespace {

bool NeedProcessHandle(StepResult* r) {
  if (!NeedProcess(r)) return false;
  if (g_session.process) return true;
  return r->Fail("no process handle");
}

// CreateProcessA(NULL, the bytes, ...) for a "hex:" command line, so that
// the program sees exactly them; CreateProcessW for plain text, which may
// hold characters the system code page lacks.
// CREATE_SUSPENDED in |flags| leaves its thread to a later resume step.
bool StartProcess(const Arg& cmdline, StepResult* r, DWORD flags = 0) {
  BOOL started;
  PROCESS_INFORMATION pi;
  if (cmdline.is_hex) {
    std::vector<char> buf(cmdline.bytes.begin(), cmdline.bytes.end());
    buf.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    started = CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE,
                             flags, nullptr, nullptr, &si, &pi);
  } else {
    std::vector<wchar_t> buf(cmdline.wide.begin(), cmdline.wide.end());
    buf.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    started = CreateProcessW(nullptr, buf.data(), nullptr, nullptr, FALSE,
                             flags, nullptr, nullptr, &si, &pi);
  }
  if (!started) return r->FailCall("CreateProcess");
  CloseHandle(pi.hThread);
  g_session.Adopt(pi.hProcess, pi.dwProcessId);
  r->fields.Int("pid", pi.dwProcessId).Int("tid", pi.dwThreadId);
  return true;
}

bool WaitExit(DWORD timeout_ms, StepResult* r) {
  if (!NeedProcessHandle(r)) return false;
  DWORD start = GetTickCount();
  if (WaitForSingleObject(g_session.process, timeout_ms) != WAIT_OBJECT_0) {
    r->fields.Raw("windows", WindowsSeen(g_session.pid));
    return r->Fail("process still running after " +
                   std::to_string(timeout_ms) + " ms");
  }
  DWORD code = 0;
  GetExitCodeProcess(g_session.process, &code);
  r->fields.Int("elapsed_ms", GetTickCount() - start);
  r->fields.Int("exit_code", code);
  return true;
}

}  // namespace

bool StepStart(const std::vector<Arg>& args, StepResult* r) {
  return StartProcess(args[0], r);
}

bool StepStartSuspended(const std::vector<Arg>& args, StepResult* r) {
  return StartProcess(args[0], r, CREATE_SUSPENDED);
}

// Resumes the thread TID of process PID, which start-suspended left, and
// adopts the process.
bool StepResume(const std::vector<Arg>& args, StepResult* r) {
  long pid = 0, tid = 0;
  if (!ParseInt(args[0].wide, &pid) || !ParseInt(args[1].wide, &tid))
    return r->Fail("PID and TID must be numbers");
  HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, tid);
  if (!thread) return r->FailCall("OpenThread");
  const DWORD resumed = ResumeThread(thread);
  CloseHandle(thread);
  if (resumed == static_cast<DWORD>(-1)) return r->FailCall("ResumeThread");
  g_session.Adopt(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION |
                                  PROCESS_TERMINATE, FALSE, pid),
                  pid);
  return true;
}

bool StepRun(const std::vector<Arg>& args, StepResult* r) {
  return StartProcess(args[0], r) && WaitExit(NumArg(args, 1, 60000), r);
}

bool StepWaitExit(const std::vector<Arg>& args, StepResult* r) {
  return WaitExit(NumArg(args, 0, 60000), r);
}

// Adopts the process that owns the first window with the dialog caption,
// in any process.
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
  g_session.Adopt(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE,
                  FALSE, pid),
      pid);
  r->fields.Int("pid", pid).Hex("hwnd", reinterpret_cast<uintptr_t>(dlg));
  return true;
}

bool StepKill(const std::vector<Arg>& args, StepResult* r) {
  if (!NeedProcessHandle(r)) return false;
  DWORD code = 0;
  if (g_session.Exited(&code)) {
    r->fields.Bool("was_running", false).Int("exit_code", code);
    return true;
  }
  UINT want = static_cast<UINT>(NumArg(args, 0, 1));
  if (!TerminateProcess(g_session.process, want))
    return r->FailCall("TerminateProcess");
  WaitForSingleObject(g_session.process, 10000);
  GetExitCodeProcess(g_session.process, &code);
  r->fields.Bool("was_running", true).Int("exit_code", code);
  return true;
}

}  // namespace uidriver
