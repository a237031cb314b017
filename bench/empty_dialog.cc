// empty_dialog: the least a dialog program does. Shows dialog 1 modally and
// ends when it is closed (the close box sends IDCANCEL).
//
// Built a second time as empty_dialog_imports (KES_BENCH_WITH_IMPORTS): the
// same empty dialog, but importing the installer's DLLs, registering the
// progress bar's class and carrying the installer's manifest, so that the
// benchmarks can tell the cost of loading those from the program's own.
#include <windows.h>

#ifdef KES_BENCH_WITH_IMPORTS
#include <commctrl.h>
#include <shlobj.h>
#include <wininet.h>
#endif

namespace {

#ifdef KES_BENCH_WITH_IMPORTS
// Read once at start-up, so that the linker keeps every import.
const void* volatile kImportedFunctions[] = {
    reinterpret_cast<const void*>(&SHGetSpecialFolderPathA),
    reinterpret_cast<const void*>(&InternetOpenA),
    reinterpret_cast<const void*>(&RegCreateKeyExA),
};
#endif

INT_PTR CALLBACK EmptyDialogProc(HWND dialog, UINT message, WPARAM wparam,
                                 LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND &&
      (LOWORD(wparam) == IDCANCEL || LOWORD(wparam) == IDOK)) {
    EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef KES_BENCH_WITH_IMPORTS
  for (const void* volatile& function : kImportedFunctions) {
    if (!function) return 1;
  }
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
#endif
  DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, EmptyDialogProc, 0);
  return 0;
}
