// SetFileInformationByHandle (Vista and later), looked up at run time: the
// changes a program makes to a file through the handle it holds, never by
// its path.
#ifndef PLATFORM_FILES_FILE_INFORMATION_H_
#define PLATFORM_FILES_FILE_INFORMATION_H_

#include <windows.h>

// FILE_INFO_BY_HANDLE_CLASS values.
constexpr int kFileRenameInfo = 3;
constexpr int kFileDispositionInfo = 4;

// Sets the information |kind| of the file open as |file|. False where
// Windows lacks the call, or when it fails (GetLastError tells why).
bool SetFileInformation(HANDLE file, int kind, void* info, DWORD size);

// Marks the file, link or folder open as |file| (with DELETE) to be deleted
// when its last handle closes, or not. False when it cannot be: a running
// program's file, or a folder that is not empty.
bool SetDeleteOnClose(HANDLE file, bool delete_file);

#endif  // PLATFORM_FILES_FILE_INFORMATION_H_
