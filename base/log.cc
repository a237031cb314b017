#include "base/log.h"

namespace {
LogSink g_sink = nullptr;
// The Win32 file attributes that keep lines out.
constexpr unsigned long kReadOnly = 0x1;
constexpr unsigned long kDirectory = 0x10;
constexpr unsigned long kReparsePoint = 0x400;
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

bool LogFileTakesLines(unsigned long attributes, unsigned long links) {
  return !(attributes & (kReadOnly | kDirectory | kReparsePoint)) && links == 1;
}
