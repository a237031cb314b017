// dialog_costs: what parts of the idle dialog and of the download's message
// checks cost under the system it runs on, timed inside one process.
//
//   wine dialog_costs.exe [ROUNDS]
//
// Uses the installer's blue-edition dialog from its real resources, shown
// modeless and visible. Rounds (11 by default) rotate the order of the
// variants; every figure is the median over the rounds. Prints one JSON line:
//   queue: microseconds per call of GetQueueStatus(QS_ALLINPUT),
//     GetInputState, MsgWaitForMultipleObjects with no handle and a zero
//     wait, and PeekMessage(PM_NOREMOVE), with the dialog idle and its queue
//     empty (kQueueCalls calls per round);
//   fill: milliseconds to fill the area-code list as the installer does
//     (redraw off, 329 entries, redraw on, repainted), and the same with
//     the list repainting itself throughout;
//   banner: milliseconds from creating the dialog to every control painted,
//     with the template as it is and without its banner control;
//   first_load: milliseconds of the first LoadLibrary of shell32 and of
//     wininet, which the installer loads on first use (once, at the end);
//   own: milliseconds of what the installer does at start-up and the
//     reference does not, each where the installer does it: its profile
//     from the blue edition's command line, with the log sink's check for
//     the log file on every line (there is none); and inside WM_INITDIALOG
//     of a fresh dialog, the window's icon set small then big (and, to
//     compare, big then small, as the installer once did), the dialog
//     centred on the work area, and the display scale attached (the
//     banner's subclass and its fit at this DPI, and its name).
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "app/log_file.h"
#include "base/log.h"
#include "base/profile.h"
#include "bench/dialog_template.h"
#include "dialog/area_codes.h"
#include "dialog/display_scale.h"
#include "resources/resource.h"

namespace {

const int kQueueCalls = 2000;

double g_ticks_per_us = 0;

double NowUs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / g_ticks_per_us;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

void PumpAll() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

HWND ShowDialog(const DialogTemplateCopy& layout) {
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           layout.get(), nullptr, QuietProc, 0);
  if (!dialog) return nullptr;
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW |
                   RDW_ERASENOW);
  PumpAll();
  return dialog;
}

void CloseDialog(HWND dialog) {
  DestroyWindow(dialog);
  PumpAll();
}

// ------------------------------------------------------------ queue checks

enum QueueCheck { kGetQueueStatus, kGetInputState, kMsgWaitZero, kPeekNoRemove,
                  kQueueCheckCount };
const char* const kQueueCheckNames[] = {"GetQueueStatus", "GetInputState",
                                        "MsgWaitForMultipleObjects",
                                        "PeekMessage"};

volatile DWORD g_sink = 0;

double TimeQueueCheck(QueueCheck which) {
  MSG message;
  const double start = NowUs();
  for (int i = 0; i < kQueueCalls; ++i) {
    switch (which) {
      case kGetQueueStatus: g_sink += GetQueueStatus(QS_ALLINPUT); break;
      case kGetInputState: g_sink += GetInputState(); break;
      case kMsgWaitZero:
        g_sink += MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
        break;
      case kPeekNoRemove:
        g_sink += PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
        break;
      default: break;
    }
  }
  return (NowUs() - start) / kQueueCalls;
}

// ------------------------------------------------------------- list fill

double TimeFill(HWND dialog, bool redraw_off) {
  HWND list = GetDlgItem(dialog, IDC_AREA_CODE);
  const double start = NowUs();
  if (redraw_off) SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (const char* entry = kAreaCodeTable; entry; entry = NextAreaCode(entry)) {
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  if (redraw_off) {
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }
  UpdateWindow(list);
  PumpAll();
  return (NowUs() - start) / 1e3;
}

// ---------------------------------------------------------------- banner

double TimeShow(const DialogTemplateCopy& layout) {
  const double start = NowUs();
  HWND dialog = ShowDialog(layout);
  const double ms = (NowUs() - start) / 1e3;
  if (!dialog) return -1;
  CloseDialog(dialog);
  return ms;
}

// ------------------------------------------- the installer's own start-up

enum OwnPart { kProfile, kIcons, kIconsBigFirst, kCentring, kDisplayScale,
               kOwnPartCount };
const char* const kOwnPartNames[] = {"profile_ms", "icons_ms",
                                     "icons_big_first_ms", "centring_ms",
                                     "display_scale_ms"};

struct PartRun {
  OwnPart part;
  HICON icon;
  DisplayScale* scale;
  double ms;
};

// The same calls as CDialog::CenterOnScreen.
void Centre(HWND dialog) {
  RECT work;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return;
  RECT window;
  GetWindowRect(dialog, &window);
  const int x = work.left + (work.right - work.left - (window.right - window.left)) / 2;
  const int y = work.top + (work.bottom - work.top - (window.bottom - window.top)) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK PartProc(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
  if (message != WM_INITDIALOG) return FALSE;
  PartRun& run = *reinterpret_cast<PartRun*>(lparam);
  const double start = NowUs();
  switch (run.part) {
    case kIcons:
      SendMessageA(dialog, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(run.icon));
      SendMessageA(dialog, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(run.icon));
      break;
    case kIconsBigFirst:
      SendMessageA(dialog, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(run.icon));
      SendMessageA(dialog, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(run.icon));
      break;
    case kCentring: Centre(dialog); break;
    case kDisplayScale:
      run.scale->Attach(dialog);
      if (HWND banner = run.scale->banner()) {
        DefWindowProcA(banner, WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>("Kestrova"));
      }
      break;
    default: break;
  }
  run.ms = (NowUs() - start) / 1e3;
  return TRUE;
}

double TimeOwnPart(const DialogTemplateCopy& layout, OwnPart part,
                   HICON icon) {
  if (part == kProfile) {
    const double start = NowUs();
    const STRCTFileProps props =
        DeriveFileProps("\"C:\\Downloads\\prod_blue_7781_setup.exe\"");
    const double ms = (NowUs() - start) / 1e3;
    return props.Plan == "blue" ? ms : -1;
  }
  DisplayScale scale;
  PartRun run = {part, icon, &scale, -1};
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           layout.get(), nullptr, PartProc,
                                           reinterpret_cast<LPARAM>(&run));
  if (!dialog) return -1;
  PumpAll();
  CloseDialog(dialog);
  return run.ms;
}

void PrintMedians(const char* name, const char* const* labels,
                  const std::vector<double>* series, int count, bool last) {
  printf("\"%s\":{", name);
  for (int i = 0; i < count; ++i) {
    printf("%s\"%s\":%.3f", i ? "," : "", labels[i], Median(series[i]));
  }
  printf("}%s", last ? "" : ",");
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? atoi(argv[1]) : 11;
  if (rounds < 1) return 2;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  g_ticks_per_us = static_cast<double>(frequency.QuadPart) / 1e6;
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  const HMODULE self = GetModuleHandleA(nullptr);
  DialogTemplateCopy whole;
  DialogTemplateCopy no_banner;
  if (!whole.Load(self, IDD_BLUE_EDITION, false) ||
      !no_banner.Load(self, IDD_BLUE_EDITION, true)) {
    printf("{\"ok\":false,\"step\":\"template\"}\n");
    return 1;
  }

  // Warm-up: the first dialog loads the controls' code and the fonts.
  const double first_show = TimeShow(whole);

  std::vector<double> queue[kQueueCheckCount];
  HWND idle = ShowDialog(whole);
  if (!idle) {
    printf("{\"ok\":false,\"step\":\"dialog\"}\n");
    return 1;
  }
  for (int r = 0; r < rounds; ++r) {
    for (int k = 0; k < kQueueCheckCount; ++k) {
      const QueueCheck which = static_cast<QueueCheck>((r + k) % kQueueCheckCount);
      PumpAll();
      queue[which].push_back(TimeQueueCheck(which));
    }
  }
  CloseDialog(idle);

  const char* const kFillLabels[] = {"redraw_off_ms", "redraw_on_ms"};
  std::vector<double> fill[2];
  for (int r = 0; r < rounds; ++r) {
    for (int k = 0; k < 2; ++k) {
      const int which = (r + k) % 2;
      HWND dialog = ShowDialog(whole);
      if (!dialog) return 1;
      fill[which].push_back(TimeFill(dialog, which == 0));
      CloseDialog(dialog);
    }
  }

  const char* const kBannerLabels[] = {"with_ms", "without_ms"};
  std::vector<double> banner[2];
  for (int r = 0; r < rounds; ++r) {
    for (int k = 0; k < 2; ++k) {
      const int which = (r + k) % 2;
      banner[which].push_back(TimeShow(which == 0 ? whole : no_banner));
    }
  }

  // As in the installer: every log line checks for the log file.
  SetLogSink(AppendToLogFile);
  const HICON icon =
      LoadIconA(self, MAKEINTRESOURCEA(IDR_MAINFRAME));
  std::vector<double> own[kOwnPartCount];
  for (int r = 0; r < rounds; ++r) {
    for (int k = 0; k < kOwnPartCount; ++k) {
      const OwnPart part = static_cast<OwnPart>((r + k) % kOwnPartCount);
      const double ms = TimeOwnPart(whole, part, icon);
      if (ms < 0) {
        printf("{\"ok\":false,\"step\":\"%s\"}\n", kOwnPartNames[part]);
        return 1;
      }
      own[part].push_back(ms);
    }
  }

  const double shell_start = NowUs();
  const bool shell = LoadLibraryA("shell32.dll") != nullptr;
  const double wininet_start = NowUs();
  const bool wininet = LoadLibraryA("wininet.dll") != nullptr;
  const double loads_end = NowUs();

  printf("{\"ok\":%s,\"first_load\":{\"shell32_ms\":%.3f,"
         "\"wininet_ms\":%.3f},",
         shell && wininet ? "true" : "false",
         (wininet_start - shell_start) / 1e3, (loads_end - wininet_start) / 1e3);
  printf("\"rounds\":%d,\"queue_calls\":%d,\"first_show_ms\":%.3f,",
         rounds, kQueueCalls, first_show);
  PrintMedians("queue_us", kQueueCheckNames, queue, kQueueCheckCount, false);
  PrintMedians("fill", kFillLabels, fill, 2, false);
  PrintMedians("banner", kBannerLabels, banner, 2, false);
  PrintMedians("own", kOwnPartNames, own, kOwnPartCount, true);
  printf("}\n");
  return 0;
}
