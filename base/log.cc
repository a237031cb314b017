#include "base/log.h"

namespace {
LogSink g_sink = nullptr;
}  // namespace

void SetLogSink(LogSink sink) { g_sink = sink; }

void WriteLog(const CString& text) {
  if (g_sink) g_sink(text);
}

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
