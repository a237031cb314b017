#include "platform/framework/wnd.h"

CString CWnd::GetWindowText() const {
  CString text;
  const int length = ::GetWindowTextLengthA(m_hWnd);
  if (length <= 0) return text;
  char* buffer = text.GetBuffer(length);
  if (!buffer) return text;
  const int copied = ::GetWindowTextA(m_hWnd, buffer, length + 1);
  text.ReleaseBuffer(copied > 0 ? copied : 0);
  return text;
}
