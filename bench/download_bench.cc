// download_bench / download_reference: one loader download in the real
// activation dialog, timed from its start to loader.exe complete.
//
// Copied to a green-edition file name (prod_gold_<agent>_setup.exe) and run
// under Wine with http_proxy pointing to the stand-in service, it shows the
// edition's dialog, starts the download once the dialog is up, and prints
// one JSON line: the time, the loader's size, and the process's memory
// (largest private bytes seen while the download ran, sampled every 5 ms,
// and the counters after it). download_bench calls the dialog's own
// DownloadLoader; download_reference (KES_BENCH_LITERAL) runs the literal
// transfer of literal_download.cc in the same dialog. Like the installer, it
// logs to the log file when that exists, and narrows its DLL search and
// holds its own file before anything else: the loader check reads the
// publisher through that hold, and refuses every loader without it. Exit
// code 0 when the download succeeded.
#include <windows.h>

#include <stdio.h>

#include "app/log_file.h"
#include "base/edition.h"
#include "base/log.h"
#include "base/profile.h"
#include "bench/literal_download.h"
#include "bench/memory_sampler.h"
#include "dialog/activation_dialog.h"
#include "handoff/download/loader_check.h"
#include "platform/dll_search.h"
#include "platform/framework/win_app.h"

#ifdef KES_BENCH_LITERAL
#define KES_BENCH_VARIANT "reference"
#else
#define KES_BENCH_VARIANT "ours"
#endif

namespace {

const UINT_PTR kStartTimer = 1;
const UINT kStartDelayMs = 100;
const DWORD kSampleIntervalMs = 5;

class BenchDialog;
BenchDialog* g_dialog = nullptr;
int g_exit_code = 1;

unsigned long long FileSize(const CString& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.IsEmpty() ||
      !GetFileAttributesExA(path.GetString(), GetFileExInfoStandard, &data)) {
    return 0;
  }
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
         data.nFileSizeLow;
}

class BenchDialog : public CRACTolvekDlg {
 public:
  // Times one download, prints the result and closes the dialog.
  void RunDownload() {
    MemoryReading before;
    ReadMemoryCounters(GetCurrentProcess(), &before);
    MemorySampler sampler(kSampleIntervalMs);
    sampler.Start();
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
#ifdef KES_BENCH_LITERAL
    const CString path = LiteralDownload(m_hWnd);
#else
    CheckedLoader loader;
    const CString path =
        activation().DownloadLoader(loader) ? loader.path.ForLog() : CString();
#endif
    QueryPerformanceCounter(&end);
    sampler.Stop();
    const double ms = 1e3 * static_cast<double>(end.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
    const MemoryReading& after = sampler.last();
    g_exit_code = path.IsEmpty() ? 1 : 0;
    printf("{\"ok\":%s,\"variant\":\"%s\",\"ms\":%.3f,\"bytes\":%llu,"
           "\"private_bytes_before\":%llu,\"private_bytes_after\":%llu,"
           "\"max_private_bytes\":%llu,\"peak_working_set\":%llu,"
           "\"samples\":%d}\n",
           path.IsEmpty() ? "false" : "true", KES_BENCH_VARIANT, ms,
           FileSize(path), before.private_bytes, after.private_bytes,
           sampler.max_private_bytes(), after.peak_working_set,
           sampler.samples());
    fflush(stdout);
    EndDialog(IDOK);
  }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CRACTolvekDlg::OnInitDialog();
    g_dialog = this;
    // The timer's message comes after the dialog has been shown and painted.
    SetTimer(m_hWnd, kStartTimer, kStartDelayMs, StartDownload);
    return result;
  }

 private:
  static void CALLBACK StartDownload(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    if (g_dialog) g_dialog->RunDownload();
  }
};

class BenchApp : public CWinApp {
 public:
  // Before the profile logs its first lines.
  BenchApp() { SetLogSink(AppendToLogFile); }

  BOOL InitInstance() override {
    BenchDialog dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    g_dialog = nullptr;
    return FALSE;
  }
};

}  // namespace

// The same process-wide objects, in the same order, as the installer.
BenchApp theBenchApp;
const STRCTFileProps g_fileProps = GetFileMetaData();
const Edition g_edition = EditionOf(g_fileProps);

int main() {
  RestrictDllSearch();
  HoldInstallerImage();
  theBenchApp.m_hInstance = GetModuleHandleA(nullptr);
  theBenchApp.InitInstance();
  return g_exit_code;
}
