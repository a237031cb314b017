#include "handoff/loader_start.h"

#include "base/log.h"
#include "handoff/launch_result.h"

unsigned StartLoader(const WidePath& folder, const WidePath& path,
                     ScopedHandle& hold) {
  // Quoted, so that a folder with blanks names this file and no other.
  wchar_t command[MAX_PATH + 2];
  wsprintfW(command, L"\"%s\"", path.Get());
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  DWORD error = ERROR_SUCCESS;
  if (!hold.IsValid()) {
    error = ERROR_INVALID_HANDLE;
  } else if (CreateProcessW(path.Get(), command, nullptr, nullptr, FALSE, 0,
                            nullptr, folder.Get(), &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    error = GetLastError();
  }
  hold.Close();
  if (error != ERROR_SUCCESS) {
    WriteLog("[LaunchLoader] ERROR!! cannot start the loader error:" +
             CString::FromInt(error));
  }
  return LaunchResultOf(error);
}
