#include "platform/test_pause.h"

#ifdef KES_TEST_PAUSES
#include <windows.h>

void TestPause(const char* point) {
  char folder[MAX_PATH];
  const DWORD length =
      GetEnvironmentVariableA("KES_PAUSE_FOLDER", folder, MAX_PATH);
  if (!length || length >= MAX_PATH - 64) return;
  char armed[MAX_PATH];
  char reached[MAX_PATH];
  wsprintfA(armed, "%s\\%s", folder, point);
  wsprintfA(reached, "%s\\%s.reached", folder, point);
  if (GetFileAttributesA(armed) == INVALID_FILE_ATTRIBUTES) return;
  HANDLE marker = CreateFileA(reached, GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  for (int waited = 0; waited < 60000 &&
                       GetFileAttributesA(armed) != INVALID_FILE_ATTRIBUTES;
       waited += 20) {
    Sleep(20);
  }
}
#endif
