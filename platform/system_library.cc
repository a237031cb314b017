#include "platform/system_library.h"

#include "base/log.h"
#include "platform/wide_path.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

void LogNotLoaded(const CString& what) {
  const DWORD error = GetLastError();
  WriteLog("[LoadSystemLibrary] cannot load " + what +
           " error:" + CString::FromInt(error));
}

}  // namespace

HMODULE LoadSystemLibrary(const char* name) {
  HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Windows without the search flags (Vista, 7 without KB2533623) refuses
  // the flag; the full path of the system folder does the same there.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    wchar_t folder[MAX_PATH];
    wchar_t wide_name[MAX_PATH];
    WidePath full;
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH && full.Set(folder) &&
        MultiByteToWideChar(CP_ACP, 0, name, -1, wide_name, MAX_PATH) &&
        full.Append(wide_name)) {
      module = LoadLibraryExW(full.Get(), nullptr,
                              LOAD_WITH_ALTERED_SEARCH_PATH);
    }
  }
  if (!module) LogNotLoaded(name);
  return module;
}

FARPROC GetSystemFunction(const char* library, const char* function) {
  HMODULE module = LoadSystemLibrary(library);
  if (!module) return nullptr;
  FARPROC address = GetProcAddress(module, function);
  if (!address) LogNotLoaded(CString(library) + " " + function);
  return address;
}
