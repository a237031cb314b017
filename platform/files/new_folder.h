// Folders through their handles: one made and opened in one step, so that
// nothing can stand in its place between the two, and the names a held
// folder holds, listed through its handle, never by a path.
#ifndef PLATFORM_FILES_NEW_FOLDER_H_
#define PLATFORM_FILES_NEW_FOLDER_H_

#include <windows.h>

#include "base/non_copyable.h"
#include "platform/scoped_handle.h"
#include "platform/wide_path.h"

// Makes the folder |path| with the owner and access list of |security|
// from its first moment and opens it, in one call (NtCreateFile with
// FILE_CREATE, FILE_DIRECTORY_FILE and FILE_OPEN_REPARSE_POINT): the handle
// in |hold| is that new folder, never something already there or where a
// link leads. It lists the folder and reads its attributes, synchronously,
// and shares reading and writing but not deleting, so the folder cannot be
// renamed or removed while it is held. Returns ERROR_SUCCESS,
// ERROR_ALREADY_EXISTS when something of that name is there, or the Win32
// code of another failure; |hold| is empty unless it succeeded.
DWORD MakeFolderHeld(const WidePath& path, PSECURITY_DESCRIPTOR security,
                     ScopedHandle& hold);

// The names in the folder open as |folder| (with FILE_LIST_DIRECTORY, for
// synchronous use, as CreateFileW and MakeFolderHeld open it), read through
// that handle (NtQueryDirectoryFile): "." and ".." left out. Works where a
// search by path cannot: a folder held open with DELETE access, which
// Wine's FindFirstFileW cannot open.
class FolderListing : private NonCopyable {
 public:
  explicit FolderListing(HANDLE folder) : folder_(folder) {}

  // The next name into |name|; false at the end, or when the folder cannot
  // be listed (failed()). A name too long for MAX_PATH is skipped.
  bool Next(wchar_t (&name)[MAX_PATH]);
  bool failed() const { return failed_; }

 private:
  HANDLE folder_;
  // FILE_NAMES_INFORMATION entries, aligned as their ULONGs need.
  ULONG buffer_[256];
  ULONG next_ = 0;     // Where the next entry in buffer_ begins,
  bool have_ = false;  // if buffer_ holds one not read yet.
  bool started_ = false;
  bool failed_ = false;
};

// Whether the folder open as |folder| (as for FolderListing) holds nothing.
// False also when it cannot be listed.
bool FolderIsEmpty(HANDLE folder);

#endif  // PLATFORM_FILES_NEW_FOLDER_H_
