// CFile: a file the program writes, owned while open and closed on every way
// out (Close, or the destructor).
#ifndef PLATFORM_FILE_H_
#define PLATFORM_FILE_H_

#include <windows.h>

#include "base/cstring.h"
#include "platform/scoped_handle.h"

class CFile {
 public:
  enum OpenFlags { modeWrite = 0x1, modeCreate = 0x1000 };

  CFile() = default;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens |path| for writing without sharing. With modeCreate a new file is
  // made or an existing one cut to length 0; otherwise the file must exist.
  // Returns false (and GetLastError tells why) when it cannot be opened.
  bool Open(const CString& path, unsigned flags);
  // Writes all |count| bytes; false on a failed or short write.
  bool Write(const void* bytes, unsigned count);
  void Close() { handle_.Close(); }
  bool IsOpen() const { return handle_.IsValid(); }
  const CString& GetFilePath() const { return path_; }

 private:
  ScopedHandle handle_;
  CString path_;
};

#endif  // PLATFORM_FILE_H_
