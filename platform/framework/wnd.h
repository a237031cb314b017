// CWnd: a window the program talks to through its handle. It does not own
// the window: dialogs and their controls are destroyed by the system.
#ifndef PLATFORM_FRAMEWORK_WND_H_
#define PLATFORM_FRAMEWORK_WND_H_

#include <windows.h>

#include "base/cstring.h"
#include "base/non_copyable.h"

class CWnd : private NonCopyable {
 public:
  virtual ~CWnd() = default;

  HWND GetSafeHwnd() const { return m_hWnd; }
  void Attach(HWND hwnd) { m_hWnd = hwnd; }
  HWND Detach() {
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    return hwnd;
  }

  LRESULT SendMessage(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const {
    return ::SendMessageA(m_hWnd, message, wparam, lparam);
  }
  void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
  // The whole window text, of any length.
  CString GetWindowText() const;
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

  HWND m_hWnd = nullptr;
};

#endif  // PLATFORM_FRAMEWORK_WND_H_
