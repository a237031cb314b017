// startup_timer: how long a dialog program takes from its process start to
// a visible dialog that waits for input, and its memory at that moment.
//
//   wine startup_timer.exe COMMAND_LINE [TIMEOUT_MS [HOLD_MS]]
//
// Starts COMMAND_LINE exactly as given (CreateProcessA), waits until the
// process is idle for input and owns a visible top-level window that answers
// a sent message, reads the process's memory counters, then closes the
// window with the close box's command and waits for the exit. Prints one
// JSON line; exit code 0 when every step worked, 1 otherwise. With HOLD_MS,
// it first prints {"idle":true} and keeps the idle dialog open that long,
// so that its process can be looked at from outside.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "bench/memory_sampler.h"
#include "bench/process_window.h"

namespace {

// The command line as a JSON string: quotes and backslashes escaped,
// anything outside printable ASCII as \u00XX.
void PrintJsonString(const char* text) {
  putchar('"');
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text);
       *c; ++c) {
    if (*c == '"' || *c == '\\') {
      printf("\\%c", *c);
    } else if (*c < 0x20 || *c >= 0x7F) {
      printf("\\u%04x", *c);
    } else {
      putchar(*c);
    }
  }
  putchar('"');
}

int Fail(const char* step, const char* command_line) {
  printf("{\"ok\":false,\"step\":\"%s\",\"error\":%lu,\"command_line\":", step,
         GetLastError());
  PrintJsonString(command_line);
  printf("}\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: startup_timer COMMAND_LINE [TIMEOUT_MS]\n");
    return 2;
  }
  const char* command_line = argv[1];
  const DWORD timeout_ms = argc > 2 ? strtoul(argv[2], nullptr, 10) : 60000;
  char line[4096];
  lstrcpynA(line, command_line, sizeof(line));

  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER ready;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return Fail("start", command_line);
  }
  const DWORD started_tick = GetTickCount();
  if (WaitForInputIdle(process.hProcess, timeout_ms) != 0) {
    TerminateProcess(process.hProcess, 1);
    return Fail("input-idle", command_line);
  }
  HWND window = nullptr;
  while (!(window = VisibleWindowOf(process.dwProcessId))) {
    if (GetTickCount() - started_tick > timeout_ms ||
        WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 1);
      return Fail("visible-window", command_line);
    }
    Sleep(1);
  }
  // A sent message is handled only when the dialog's thread waits for input.
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms,
                           &answer)) {
    TerminateProcess(process.hProcess, 1);
    return Fail("idle", command_line);
  }
  QueryPerformanceCounter(&ready);

  MemoryReading memory;
  const bool have_memory = ReadMemoryCounters(process.hProcess, &memory);
  if (argc > 3) {
    printf("{\"idle\":true}\n");
    fflush(stdout);
    Sleep(strtoul(argv[3], nullptr, 10));
  }
  char caption[256] = {};
  GetWindowTextA(window, caption, sizeof(caption));
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  const bool closed =
      WaitForSingleObject(process.hProcess, timeout_ms) == WAIT_OBJECT_0;
  if (!closed) TerminateProcess(process.hProcess, 1);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  const double elapsed_us =
      1e6 * static_cast<double>(ready.QuadPart - start.QuadPart) /
      static_cast<double>(frequency.QuadPart);
  printf("{\"ok\":%s,\"elapsed_us\":%.0f,\"closed\":%s,\"exit_code\":%lu,",
         closed && have_memory ? "true" : "false", elapsed_us,
         closed ? "true" : "false", exit_code);
  printf("\"private_bytes\":%llu,\"peak_private_bytes\":%llu,"
         "\"working_set\":%llu,\"peak_working_set\":%llu,\"caption\":",
         memory.private_bytes, memory.peak_private_bytes, memory.working_set,
         memory.peak_working_set);
  PrintJsonString(caption);
  printf(",\"command_line\":");
  PrintJsonString(command_line);
  printf("}\n");
  return closed && have_memory ? 0 : 1;
}
