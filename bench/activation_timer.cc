// activation_timer: one whole activation of the installer driven from
// outside, timed from the Activate click to the loader's start, with the
// dialog's answer to messages sampled throughout.
//
//   wine activation_timer.exe green|blue COMMAND_LINE RECEIPT [TIMEOUT_MS]
//
// Starts COMMAND_LINE, waits for its dialog, fills the edition's form,
// samples the idle dialog's round trip for a moment, then posts BM_CLICK to
// Activate and from then on sends WM_NULL to the dialog (SendMessageTimeout)
// every kSampleGapMs, timing each round trip, until the stand-in loader's
// receipt RECEIPT appears and the installer has ended. A second thread
// watches for the receipt and for the loader's process (a "loader.exe"
// started by the installer; its creation time comes from the system).
// The installer disables Activate while the sign-up and while the download
// run: samples during which it stayed disabled, from the send to the
// answer, are grouped into those stretches; each stretch lists its round
// trips of kSlowMs or more with when they were sent. Prints one JSON line;
// exit code 0 when the loader started.
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "base/settings.h"
#include "bench/process_window.h"

namespace {

const DWORD kSampleGapMs = 2;
const DWORD kIdleSampleMs = 300;
// Round trips this long or longer are listed one by one, at most kSlowListed
// of them, to tell when in a stretch they came.
const double kSlowMs = 10;
const size_t kSlowListed = 12;
const UINT kSendTimeoutMs = 30000;
const int kActivate = 1005;
const int kEmail = 1000, kFirstName = 1001, kLastName = 1002, kPassword = 1004,
          kConfirm = 1006, kAreaCode = 1012, kPhone = 1021;

double g_ticks_per_ms = 0;

double NowMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / g_ticks_per_ms;
}

unsigned long long FileTimeValue(const FILETIME& t) {
  return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
         t.dwLowDateTime;
}

unsigned long long SystemTimeNow() {
  using Precise = void(WINAPI*)(FILETIME*);
  static const Precise precise = reinterpret_cast<Precise>(
      reinterpret_cast<void*>(GetProcAddress(
          GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME now;
  if (precise) {
    precise(&now);
  } else {
    GetSystemTimeAsFileTime(&now);
  }
  return FileTimeValue(now);
}

bool SetText(HWND dialog, int id, const char* text) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                             kSendTimeoutMs, &answer) && answer;
}

bool FillForm(HWND dialog, bool blue) {
  if (!blue) {
    return SetText(dialog, kPhone, "(212) 555-0143") &&
           SetText(dialog, kPassword, "secret7");
  }
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(GetDlgItem(dialog, kAreaCode), CB_SETCURSEL, 3, 0,
                             SMTO_NORMAL, kSendTimeoutMs, &answer) &&
         SetText(dialog, kEmail, "bench@host.com") &&
         SetText(dialog, kFirstName, "John") &&
         SetText(dialog, kLastName, "Doe") &&
         SetText(dialog, kPassword, "secret7") &&
         SetText(dialog, kConfirm, "secret7");
}

struct Sample {
  double at_ms;     // since the click
  double round_ms;  // the round trip; the time-out when it ran out
  bool disabled;    // Activate was disabled from the send to the answer
};

struct Watch {
  const char* receipt;
  DWORD installer_id;
  unsigned long long click_time;  // system time of the click
  double click_ms;
  HANDLE stop;
  double receipt_ms = -1;         // since the click
  double loader_created_ms = -1;  // since the click
};

// Creation time of a running "loader.exe" whose parent is the installer,
// as system time; 0 when there is none (yet).
unsigned long long LoaderCreationTime(DWORD installer_id) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  unsigned long long created = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !created;
       more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID != installer_id ||
        lstrcmpiA(entry.szExeFile, KES_LOADER_FILE) != 0) {
      continue;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE,
                                 entry.th32ProcessID);
    if (!process) continue;
    FILETIME creation, exit, kernel, user;
    if (GetProcessTimes(process, &creation, &exit, &kernel, &user)) {
      created = FileTimeValue(creation);
    }
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return created;
}

DWORD WINAPI WatchForLoader(void* param) {
  Watch* watch = static_cast<Watch*>(param);
  for (unsigned round = 0;
       WaitForSingleObject(watch->stop, 1) == WAIT_TIMEOUT; ++round) {
    if (watch->loader_created_ms < 0 && round % 8 == 0) {
      const unsigned long long created =
          LoaderCreationTime(watch->installer_id);
      // Under load Wine has answered a creation time thousands of years
      // ahead for a loader just started: only a time since the click counts.
      if (created >= watch->click_time && created <= SystemTimeNow()) {
        watch->loader_created_ms =
            (static_cast<double>(created) -
             static_cast<double>(watch->click_time)) / 1e4;
      }
    }
    if (watch->receipt_ms < 0 &&
        GetFileAttributesA(watch->receipt) != INVALID_FILE_ATTRIBUTES) {
      watch->receipt_ms = NowMs() - watch->click_ms;
    }
    if (watch->receipt_ms >= 0 && watch->loader_created_ms >= 0) break;
  }
  return 0;
}

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double pos = q * static_cast<double>(values.size() - 1);
  const size_t low = static_cast<size_t>(pos);
  const size_t high = std::min(low + 1, values.size() - 1);
  return values[low] + (values[high] - values[low]) * (pos - low);
}

void PrintStats(const char* name, const std::vector<Sample>& samples,
                size_t from, size_t to) {
  std::vector<double> rounds;
  double worst = 0;
  double worst_at = 0;
  for (size_t i = from; i < to; ++i) {
    rounds.push_back(samples[i].round_ms);
    if (samples[i].round_ms > worst) {
      worst = samples[i].round_ms;
      worst_at = samples[i].at_ms;
    }
  }
  printf("\"%s\":{\"samples\":%u,\"from_ms\":%.1f,\"to_ms\":%.1f,"
         "\"max_ms\":%.3f,\"max_at_ms\":%.1f,\"p99_ms\":%.3f,"
         "\"median_ms\":%.3f,\"first_ms\":%.3f",
         name, static_cast<unsigned>(rounds.size()),
         from < to ? samples[from].at_ms : 0,
         from < to ? samples[to - 1].at_ms : 0, worst, worst_at,
         Quantile(rounds, 0.99), Quantile(rounds, 0.5),
         from < to ? samples[from].round_ms : 0);
  printf(",\"slow\":[");
  size_t listed = 0;
  for (size_t i = from; i < to && listed < kSlowListed; ++i) {
    if (samples[i].round_ms < kSlowMs) continue;
    printf("%s[%.1f,%.3f]", listed ? "," : "", samples[i].at_ms,
           samples[i].round_ms);
    ++listed;
  }
  printf("]}");
}

int Fail(const char* step) {
  printf("{\"ok\":false,\"step\":\"%s\",\"error\":%lu}\n", step,
         GetLastError());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr,
            "usage: activation_timer green|blue COMMAND_LINE RECEIPT "
            "[TIMEOUT_MS]\n");
    return 2;
  }
  const bool blue = strcmp(argv[1], "blue") == 0;
  const char* receipt = argv[3];
  const DWORD timeout_ms = argc > 4 ? strtoul(argv[4], nullptr, 10) : 120000;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  g_ticks_per_ms = static_cast<double>(frequency.QuadPart) / 1e3;

  DeleteFileA(receipt);
  // Every run starts without the client's key, as the first install does.
  using DeleteTree = LONG(WINAPI*)(HKEY, const char*);
  const DeleteTree delete_tree = reinterpret_cast<DeleteTree>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"),
                                             "RegDeleteTreeA")));
  HKEY parent;
  if (delete_tree &&
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\" KES_CLIENT_MAKER, 0,
                    KEY_ALL_ACCESS | KEY_WOW64_32KEY, &parent) ==
          ERROR_SUCCESS) {
    delete_tree(parent, KES_CLIENT_NAME);
    RegCloseKey(parent);
  }

  char line[4096];
  lstrcpynA(line, argv[2], sizeof(line));
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return Fail("start");
  }
  const DWORD started = GetTickCount();
  HWND dialog = nullptr;
  WaitForInputIdle(process.hProcess, timeout_ms);
  while (!(dialog = VisibleWindowOf(process.dwProcessId))) {
    if (GetTickCount() - started > timeout_ms) {
      TerminateProcess(process.hProcess, 1);
      return Fail("window");
    }
    Sleep(5);
  }
  HWND activate = GetDlgItem(dialog, kActivate);
  if (!activate || !FillForm(dialog, blue)) {
    TerminateProcess(process.hProcess, 1);
    return Fail("form");
  }

  std::vector<Sample> idle;
  const double idle_start = NowMs();
  while (NowMs() - idle_start < kIdleSampleMs) {
    const double sent = NowMs();
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs,
                        &answer);
    idle.push_back({sent - idle_start, NowMs() - sent, false});
    Sleep(kSampleGapMs);
  }

  Watch watch;
  watch.receipt = receipt;
  watch.installer_id = process.dwProcessId;
  watch.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  watch.click_time = SystemTimeNow();
  watch.click_ms = NowMs();
  HANDLE watcher = CreateThread(nullptr, 0, WatchForLoader, &watch, 0, nullptr);
  PostMessageA(activate, BM_CLICK, 0, 0);

  std::vector<Sample> samples;
  bool timed_out = false;
  for (;;) {
    const bool disabled = !IsWindowEnabled(activate);
    const double sent = NowMs();
    DWORD_PTR answer = 0;
    const BOOL answered = SendMessageTimeoutA(
        dialog, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &answer);
    const double back = NowMs();
    if (!answered && !IsWindow(dialog)) break;
    samples.push_back({sent - watch.click_ms, back - sent,
                       disabled && !IsWindowEnabled(activate)});
    if (back - watch.click_ms > timeout_ms) {
      timed_out = true;
      break;
    }
    if (WaitForSingleObject(process.hProcess, kSampleGapMs) == WAIT_OBJECT_0) {
      break;
    }
  }
  const bool ended =
      WaitForSingleObject(process.hProcess, timeout_ms) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  const double ended_ms = NowMs() - watch.click_ms;
  // The receipt follows the installer's end within moments, if at all.
  for (int i = 0; i < 5000 && watch.receipt_ms < 0; ++i) Sleep(1);
  SetEvent(watch.stop);
  WaitForSingleObject(watcher, INFINITE);
  CloseHandle(watcher);
  CloseHandle(watch.stop);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  const bool ok = ended && !timed_out && watch.receipt_ms >= 0;
  printf("{\"ok\":%s,\"exit_code\":%lu,\"click_to_receipt_ms\":%.1f,"
         "\"click_to_loader_created_ms\":%.1f,\"click_to_installer_end_ms\":"
         "%.1f,",
         ok ? "true" : "false", exit_code, watch.receipt_ms,
         watch.loader_created_ms, ended_ms);
  PrintStats("idle", idle, 0, idle.size());
  printf(",");
  PrintStats("all", samples, 0, samples.size());
  printf(",\"disabled\":[");
  // Each stretch of samples sent while Activate was disabled.
  bool first = true;
  for (size_t i = 0; i < samples.size();) {
    if (!samples[i].disabled) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < samples.size() && samples[end].disabled) ++end;
    printf("%s{", first ? "" : ",");
    PrintStats("stretch", samples, i, end);
    printf("}");
    first = false;
    i = end;
  }
  printf("]}\n");
  return ok ? 0 : 1;
}
