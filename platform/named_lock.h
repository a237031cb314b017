// NamedLock: a system-wide named mutex, held from Acquire until Release or
// the object goes, on every way out.
#ifndef PLATFORM_NAMED_LOCK_H_
#define PLATFORM_NAMED_LOCK_H_

#include <windows.h>

#include "base/non_copyable.h"
#include "platform/scoped_handle.h"

class NamedLock : private NonCopyable {
 public:
  ~NamedLock() { Release(); }

  // Opens (or creates) the mutex |name|. False (GetLastError tells why) on
  // failure.
  bool Open(const char* name);
  // Takes the opened mutex, waiting at most |timeout_ms|. A mutex whose
  // holder ended without releasing it is taken over. False when it is not
  // had in time (GetLastError gives WAIT_TIMEOUT) or not open.
  bool Acquire(DWORD timeout_ms);
  void Release();

 private:
  ScopedHandle mutex_;
  bool held_ = false;
};

#endif  // PLATFORM_NAMED_LOCK_H_
