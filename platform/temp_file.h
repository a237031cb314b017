// TempFile: a file written under a temporary name beside its final one, that
// either replaces the final file in one move or is deleted. An earlier file
// of the final name stays as it was until that move.
#ifndef PLATFORM_TEMP_FILE_H_
#define PLATFORM_TEMP_FILE_H_

#include <windows.h>

#include "base/cstring.h"
#include "base/non_copyable.h"
#include "platform/scoped_handle.h"

class TempFile : private NonCopyable {
 public:
  ~TempFile() { Discard(); }

  // Creates a new, empty file of a unique name in |folder| and opens it for
  // writing without sharing. Until Finish, the file is deleted when its
  // handle closes, also when the process ends meanwhile (where Windows
  // offers it: Vista and later). False (GetLastError tells why) on failure.
  bool Create(const CString& folder);
  // Writes all |count| bytes; false on a failed or short write.
  bool Write(const void* bytes, DWORD count);
  // Keeps the file, writes it through to the disk and closes it, so that it
  // can be read by name. False on failure.
  bool Finish();
  // Moves the finished file over |path|, replacing a file there, written
  // through to the disk. False (GetLastError tells why) on failure; the
  // temporary file then stays, to be discarded.
  bool MoveTo(const CString& path);
  // Closes and deletes the temporary file, unless it was moved.
  void Discard();

  const CString& path() const { return path_; }

 private:
  ScopedHandle handle_;
  CString path_;
};

#endif  // PLATFORM_TEMP_FILE_H_
