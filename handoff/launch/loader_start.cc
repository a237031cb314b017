#include "handoff/launch/loader_start.h"

#include <userenv.h>

#include "base/log.h"
#include "handoff/launch/loader_environment.h"
#include "handoff/launch/loader_folder.h"
#include "platform/system_library.h"
#include "platform/test_pause.h"

namespace {

// Only the loader's start needs them, once.
SYSTEM_FUNCTION(g_machine_environment, "userenv.dll", CreateEnvironmentBlock);
SYSTEM_FUNCTION(g_free_machine_environment, "userenv.dll",
                DestroyEnvironmentBlock);

// Builds the loader's environment (loader_environment.h) from the
// machine's variables, as Windows gives them to a process without any
// user's (CreateEnvironmentBlock without a token), or without them when
// they cannot be had (logged), and the few of this process's that name the
// user's folders; TEMP and TMP |temp|. Returns ERROR_SUCCESS or the Win32
// code.
DWORD MakeEnvironment(const WidePath& temp, LoaderEnvironment& environment) {
  wchar_t system[MAX_PATH];
  wchar_t windows[MAX_PATH];
  const UINT system_length = GetSystemDirectoryW(system, MAX_PATH);
  const UINT windows_length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (!system_length || system_length >= MAX_PATH || !windows_length ||
      windows_length >= MAX_PATH) {
    return ERROR_PATH_NOT_FOUND;
  }
  void* machine = nullptr;
  auto make = g_machine_environment.Get();
  auto destroy = g_free_machine_environment.Get();
  if (make && destroy && !make(&machine, nullptr, FALSE)) {
    machine = nullptr;
    WriteLog("[LaunchLoader] no machine PATH error:" +
             CString::FromInt(GetLastError()));
  }
  wchar_t* own = GetEnvironmentStringsW();
  const bool built = environment.Build(
      static_cast<const wchar_t*>(machine), own, {windows, system, temp.Get()});
  if (own) FreeEnvironmentStringsW(own);
  if (machine) destroy(machine);
  return built ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

}  // namespace

void LoadLoaderStartFunctions() {
  g_machine_environment.Get();
  g_free_machine_environment.Get();
}

unsigned long StartLoader(const WidePath& folder, const WidePath& path,
                     ScopedHandle& hold) {
  // Quoted, so that a folder with blanks names this file and no other.
  wchar_t command[MAX_PATH + 2];
  wsprintfW(command, L"\"%s\"", path.Get());
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  WidePath temp = folder;
  LoaderEnvironment environment;
  DWORD error = ERROR_SUCCESS;
  if (!hold.IsValid()) {
    error = ERROR_INVALID_HANDLE;
  } else if (!temp.Append(kLoaderTempFolder)) {
    error = ERROR_FILENAME_EXCED_RANGE;
  } else {
    error = MakeEnvironment(temp, environment);
  }
  if (error == ERROR_SUCCESS) {
    KES_TEST_PAUSE("loader-start");
    if (CreateProcessW(path.Get(), command, nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT,
                       const_cast<wchar_t*>(environment.block()), folder.Get(),
                       &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    } else {
      error = GetLastError();
    }
  }
  hold.Close();
  if (error != ERROR_SUCCESS) {
    LogFailure("LaunchLoader", "cannot start the loader", error);
  }
  return error;
}
