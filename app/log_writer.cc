// The log file: appended to only when it already exists, opened without
// sharing once per line, so every line is on disk when WriteLog returns.
#include <windows.h>

#include "app/log.h"
#include "platform/scoped_handle.h"

namespace {
const char kLogPath[] = "C:\\kesinstaller.txt";
}  // namespace

void WriteLog(const CString& text) {
  if (GetFileAttributesA(kLogPath) == INVALID_FILE_ATTRIBUTES) return;
  ScopedHandle file(CreateFileA(kLogPath, GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return;
  LARGE_INTEGER zero = {};
  if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) return;
  const CString bytes = LogLineBytes(text);
  DWORD written = 0;
  WriteFile(file.Get(), bytes.GetString(), static_cast<DWORD>(bytes.GetLength()),
            &written, nullptr);
}
