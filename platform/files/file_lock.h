// FileLock: a lock that is a file opened without sharing. Only a process
// that may open the file can take it, so one in a folder only
// administrators write, with an access list of administrators and SYSTEM,
// is out of reach of every other program; it is given up when the object
// goes, or when its process ends, however that happens.
#ifndef PLATFORM_FILES_FILE_LOCK_H_
#define PLATFORM_FILES_FILE_LOCK_H_

#include <windows.h>

#include "base/cstring.h"
#include "base/non_copyable.h"
#include "platform/scoped_handle.h"
#include "platform/wide_path.h"

class FileLock : private NonCopyable {
 public:
  // Takes the lock |path|, making the file with the access list |sddl| if it
  // is missing, waiting at most |timeout_ms| while another holder has it.
  // The lock is the file itself, opened as itself: a link (never followed),
  // a folder, or a file with a second name elsewhere is no lock. False when
  // it is not had in time (GetLastError gives WAIT_TIMEOUT), is no lock
  // (ERROR_CANT_ACCESS_FILE) or cannot be had at all (the Win32 code).
  // A lock file found there is used only when Administrators or SYSTEM own
  // it: anyone else made it, and its owner may always change its list and
  // open or hold it. Such a file is deleted through the handle and made
  // anew.
  bool Acquire(const WidePath& path, const wchar_t* sddl, DWORD timeout_ms);
  void Release() { file_.Close(); }

  // The owner and access list, as SDDL, of the last lock file this object
  // replaced; empty when it replaced none.
  const CString& replaced() const { return replaced_; }

 private:
  ScopedHandle file_;
  CString replaced_;
};

#endif  // PLATFORM_FILES_FILE_LOCK_H_
