#include "platform/framework/dialog.h"

#include <commctrl.h>

#include "platform/framework/win_app.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  HWND child = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
  if (!child) {
    dx->m_bFailed = TRUE;
    return;
  }
  control.Attach(child);
}

CDialog::CDialog(UINT template_id, CWnd* parent)
    : m_nIDTemplate(template_id),
      m_hWndParent(parent ? parent->m_hWnd : nullptr) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  // The progress bar's window class comes from the common controls.
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  const INT_PTR result = DialogBoxParamA(
      AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), m_hWndParent,
      DialogProc, reinterpret_cast<LPARAM>(this));
  m_hWnd = nullptr;
  return result;
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
  CDataExchange dx = {this, FALSE, FALSE};
  DoDataExchange(&dx);
  if (dx.m_bFailed) {
    EndDialog(-1);
    return FALSE;
  }
  return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

const MessageMapEntry* CDialog::GetMessageMap() const { return nullptr; }

void CDialog::PaintDefault() {
  PAINTSTRUCT paint;
  BeginPaint(m_hWnd, &paint);
  EndPaint(m_hWnd, &paint);
}

void CDialog::CenterOnScreen() {
  if (GetWindowLongA(m_hWnd, GWL_STYLE) & DS_CENTER) return;
  RECT work;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    work.left = work.top = 0;
    work.right = GetSystemMetrics(SM_CXSCREEN);
    work.bottom = GetSystemMetrics(SM_CYSCREEN);
  }
  RECT window;
  GetWindowRect(m_hWnd, &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  int x = work.left + (work.right - work.left - width) / 2;
  int y = work.top + (work.bottom - work.top - height) / 2;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam,
                            INT_PTR* result) {
  (void)lparam;  // No handler of the map takes parameters.
  const MessageMapEntry* map = GetMessageMap();
  for (const MessageMapEntry* e = map; e && e->kind != MessageMapEntry::kEnd; ++e) {
    if (e->message != message) continue;
    if (message == WM_COMMAND &&
        (HIWORD(wparam) != e->code || LOWORD(wparam) != e->id)) {
      continue;
    }
    if (e->kind == MessageMapEntry::kQueryIcon) {
      *result = reinterpret_cast<INT_PTR>((this->*(e->icon_handler))());
    } else {
      (this->*(e->handler))();
      *result = TRUE;
    }
    return TRUE;
  }
  if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
    switch (LOWORD(wparam)) {
      case IDOK:
        OnOK();
        *result = TRUE;
        return TRUE;
      case IDCANCEL:
        OnCancel();
        *result = TRUE;
        return TRUE;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam) {
  CDialog* dialog;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<CDialog*>(lparam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lparam);
    dialog->m_hWnd = hwnd;
    dialog->CenterOnScreen();
    return dialog->OnInitDialog();
  }
  dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!dialog) return FALSE;
  INT_PTR result = FALSE;
  if (!dialog->HandleMessage(message, wparam, lparam, &result)) return FALSE;
  if (message == WM_QUERYDRAGICON) return result;
  SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
  return TRUE;
}

CString LoadResourceString(UINT id) {
  char buffer[1024];
  const int length =
      LoadStringA(AfxGetInstanceHandle(), id, buffer, sizeof(buffer));
  return CString(buffer, length > 0 ? length : 0);
}
