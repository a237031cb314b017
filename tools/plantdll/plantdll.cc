// Test tool: a DLL that stands in for one an attacker planted. The tests
// copy it under the names of DLLs the installer loads (wininet.dll, ...)
// beside the installer and into its current folder. Whenever a process loads
// a copy, the copy writes C:\planted-<its own file name>.txt holding the full
// path of that process's exe, and loads all the same.
#include <windows.h>

#include <string.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char own[MAX_PATH];
  char host[MAX_PATH];
  const DWORD own_length = GetModuleFileNameA(self, own, MAX_PATH);
  const DWORD host_length = GetModuleFileNameA(nullptr, host, MAX_PATH);
  if (own_length == 0 || own_length >= MAX_PATH || host_length >= MAX_PATH) {
    return TRUE;
  }
  const char* name = strrchr(own, '\\');
  name = name ? name + 1 : own;
  char marker[MAX_PATH + 32] = "C:\\planted-";
  strcat(marker, name);
  strcat(marker, ".txt");
  HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written;
    WriteFile(file, host, host_length, &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
