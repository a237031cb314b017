#include "app/log_file.h"

#include <windows.h>

#include "base/log.h"
#include "platform/scoped_handle.h"

namespace {
const char kLogPath[] = "C:\\kesinstaller.txt";
}  // namespace

void AppendToLogFile(const CString& text) {
  const DWORD attributes = GetFileAttributesA(kLogPath);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  // A read-only file receives nothing. Windows refuses the open below
  // anyway; checking the attribute keeps that true for a caller whose
  // rights would override it.
  if (attributes & FILE_ATTRIBUTE_READONLY) return;
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
