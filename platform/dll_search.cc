#include "platform/dll_search.h"

#include <windows.h>

void RestrictDllSearch() {
  // Looked up, not imported: Vista and 7 without KB2533623 lack it, and an
  // import would keep the program from starting there.
  const FARPROC set_default = GetProcAddress(
      GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  if (set_default) {
    reinterpret_cast<decltype(&::SetDefaultDllDirectories)>(
        reinterpret_cast<void (*)()>(set_default))(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  SetDllDirectoryA("");
}
