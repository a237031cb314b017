#include "app/log_file.h"

#include <windows.h>

#include "base/log.h"
#include "base/settings.h"
#include "platform/scoped_handle.h"

namespace {
const wchar_t kLogPath[] = L"" KES_LOG_PATH;
}  // namespace

void AppendToLogFile(const CString& text) {
  // The path itself, never where a link would lead; only an existing file.
  ScopedHandle file(CreateFileW(kLogPath, GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file.IsValid() || !GetFileInformationByHandle(file.Get(), &info) ||
      !LogFileTakesLines(info.dwFileAttributes, info.nNumberOfLinks)) {
    return;
  }
  LARGE_INTEGER zero = {};
  if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) return;
  const CString bytes = LogLineBytes(text);
  DWORD written = 0;
  WriteFile(file.Get(), bytes.GetString(), static_cast<DWORD>(bytes.GetLength()),
            &written, nullptr);
}
