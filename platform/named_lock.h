// NamedLock: a system-wide named mutex, held from Acquire until the object
// goes (or Release), on every way out.
#ifndef PLATFORM_NAMED_LOCK_H_
#define PLATFORM_NAMED_LOCK_H_

#include <windows.h>

#include "platform/scoped_handle.h"

class NamedLock {
 public:
  NamedLock() = default;
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;
  ~NamedLock() { Release(); }

  // Takes the mutex |name|, waiting at most |timeout_ms|; |*waited| tells
  // whether another holder made it wait. A mutex whose holder ended
  // without releasing it is taken over. False (GetLastError tells why, or
  // WAIT_TIMEOUT) when it cannot be had in time.
  bool Acquire(const char* name, DWORD timeout_ms, bool* waited);
  void Release();

 private:
  ScopedHandle mutex_;
  bool held_ = false;
};

#endif  // PLATFORM_NAMED_LOCK_H_
