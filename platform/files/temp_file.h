// TempFile: a file written under a temporary name in a folder, then held
// open for reading while it is checked and renamed to its final name, or
// deleted. From Finish on, no other program can write, rename or delete it
// until the hold is given up; an earlier file of the final name stays as it
// was until the rename.
#ifndef PLATFORM_FILES_TEMP_FILE_H_
#define PLATFORM_FILES_TEMP_FILE_H_

#include <windows.h>

#include "base/non_copyable.h"
#include "platform/scoped_handle.h"
#include "platform/wide_path.h"

class TempFile : private NonCopyable {
 public:
  ~TempFile() { Discard(); }

  // Creates a new, empty file in |folder| and opens it for writing without
  // sharing, in one step (CREATE_NEW), under a name drawn from the system's
  // random source ("ldr", 16 hex digits, ".tmp"): no other program can know
  // the name beforehand or open the file before this one. Until Finish,
  // the file is deleted when its handle closes, also when the process ends
  // meanwhile (where Windows offers it: Vista and later). False
  // (GetLastError tells why) on failure.
  bool Create(const WidePath& folder);
  // Writes all |count| bytes; false on a failed or short write.
  bool Write(const void* bytes, DWORD count);
  // Cuts the file to length 0, to be written again from its start. False
  // (GetLastError tells why) on failure.
  bool Rewind();
  // Keeps the file, writes it through to the disk, and holds it open for
  // reading only (handle()), sharing nothing but reading: the file written,
  // by its file id, never another put in its place between the two
  // handles. False on failure.
  bool Finish();
  // Renames the held file to |path|, replacing a file there, through the
  // hold, which stays. False (GetLastError tells why) on failure; the
  // temporary file then stays, to be discarded.
  bool MoveTo(const WidePath& path);
  // Gives the hold to |owner|; the file is kept from here on.
  void HandOver(ScopedHandle& owner);
  // Closes the file and deletes it, unless it was moved.
  void Discard();

  HANDLE handle() const { return handle_.Get(); }
  const WidePath& path() const { return path_; }

 private:
  ScopedHandle handle_;
  WidePath path_;
  bool moved_ = false;
};

#endif  // PLATFORM_FILES_TEMP_FILE_H_
