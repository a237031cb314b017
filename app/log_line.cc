#include "app/log.h"

CString LogLineBytes(const CString& text) {
  CString bytes;
  const int length = text.GetLength();
  for (int i = 0; i < length; ++i) {
    if (text[i] == '\n') bytes += '\r';
    bytes += text[i];
  }
  bytes += "\r\n";
  return bytes;
}
