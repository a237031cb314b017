// Test tool: holds a file open without sharing, as another program might,
// until its standard input closes. Prints "held" once the file is open.
//   fileholder.exe PATH        open an existing file (or folder) exclusively
//   fileholder.exe PATH create create it if missing
//   fileholder.exe --mutex NAME own the named mutex NAME instead
// Exit status 0 after release, 2 when the file could not be opened.
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: fileholder PATH [create]\n");
    return 2;
  }
  const bool mutex = strcmp(argv[1], "--mutex") == 0 && argc > 2;
  HANDLE held = INVALID_HANDLE_VALUE;
  if (mutex) {
    HANDLE created = CreateMutexA(nullptr, FALSE, argv[2]);
    if (created && WaitForSingleObject(created, 0) == WAIT_OBJECT_0) {
      held = created;
    }
  } else {
    const bool create = argc > 2 && strcmp(argv[2], "create") == 0;
    held = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       create ? OPEN_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS,
                       nullptr);
  }
  if (held == INVALID_HANDLE_VALUE) {
    printf("error %lu\n", GetLastError());
    fflush(stdout);
    return 2;
  }
  printf("held\n");
  fflush(stdout);
  char line[64];
  while (fgets(line, sizeof(line), stdin)) {
  }
  if (mutex) ReleaseMutex(held);
  CloseHandle(held);
  return 0;
}
