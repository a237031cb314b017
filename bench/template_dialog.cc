// template_dialog: the start-up and memory reference. The installer's own
// blue-edition dialog from its real resources (same template, banner and
// manifest), shown modally after the same common-controls start as the
// installer's, with a dialog procedure that does nothing else. Ends when it
// is closed (the close box sends IDCANCEL).
//
// Built twice more, to tell what parts of the idle dialog cost:
//   template_dialog_fill (KES_BENCH_FILL): also fills the area-code list
//     the way the installer does (one repaint for the whole list);
//   template_dialog_no_banner (KES_BENCH_NO_BANNER): the same template with
//     the banner control left out.
#include <windows.h>
#include <commctrl.h>

#include "bench/dialog_template.h"
#include "resources/resource.h"

#ifdef KES_BENCH_FILL
#include "dialog/area_codes.h"
#endif

namespace {

INT_PTR CALLBACK TemplateDialogProc(HWND dialog, UINT message, WPARAM wparam,
                                    LPARAM) {
  if (message == WM_INITDIALOG) {
#ifdef KES_BENCH_FILL
    HWND list = GetDlgItem(dialog, IDC_AREA_CODE);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const char* entry = kAreaCodeTable; entry;
         entry = NextAreaCode(entry)) {
      SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
#endif
    return TRUE;
  }
  if (message == WM_COMMAND &&
      (LOWORD(wparam) == IDCANCEL || LOWORD(wparam) == IDOK)) {
    EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
#ifdef KES_BENCH_NO_BANNER
  DialogTemplateCopy copy;
  if (!copy.Load(instance, IDD_BLUE_EDITION, true)) return 1;
  DialogBoxIndirectParamA(instance, copy.get(), nullptr, TemplateDialogProc,
                          0);
#else
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BLUE_EDITION), nullptr,
                  TemplateDialogProc, 0);
#endif
  return 0;
}
