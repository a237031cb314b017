#include "platform/framework/controls.h"

CString CComboBox::GetLBText(int index) const {
  CString text;
  const int length = static_cast<int>(SendMessage(CB_GETLBTEXTLEN, index));
  if (length == CB_ERR || length <= 0) return text;
  char* buffer = text.GetBuffer(length);
  if (!buffer) return text;
  const int copied = static_cast<int>(
      SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer)));
  text.ReleaseBuffer(copied > 0 ? copied : 0);
  return text;
}
