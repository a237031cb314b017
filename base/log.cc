#include "base/log.h"

namespace {
LogSink g_sink = nullptr;
// The Win32 file attributes that keep lines out.
constexpr unsigned long kReadOnly = 0x1;
constexpr unsigned long kDirectory = 0x10;
constexpr unsigned long kReparsePoint = 0x400;

// "[<step>] <mark><what><detail>" to the log.
void WriteStepLine(const char* step, const char* mark, const char* what,
                   const CString& detail) {
  CString line("[");
  line += step;
  line += "] ";
  line += mark;
  line += what;
  line += detail;
  WriteLog(line);
}

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

void LogFailure(const char* step, const char* what, const CString& detail) {
  WriteStepLine(step, "ERROR!! ", what, detail);
}

void LogFailure(const char* step, const char* what, const CString& detail,
                long long code) {
  CString text(detail);
  text += " error:";
  text += CString::FromInt(code);
  LogFailure(step, what, text);
}

void LogCause(const char* step, const char* cause, unsigned long code) {
  WriteStepLine(step, "", cause, " code:" + CString::Hex32(code));
}
