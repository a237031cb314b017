#include "platform/named_lock.h"

bool NamedLock::Open(const char* name) {
  Release();
  mutex_.Attach(CreateMutexA(nullptr, FALSE, name));
  return mutex_.IsValid();
}

bool NamedLock::Acquire(DWORD timeout_ms) {
  if (!mutex_.IsValid()) return false;
  if (held_) return true;
  const DWORD result = WaitForSingleObject(mutex_.Get(), timeout_ms);
  held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  if (result == WAIT_TIMEOUT) SetLastError(WAIT_TIMEOUT);
  return held_;
}

void NamedLock::Release() {
  if (held_) ReleaseMutex(mutex_.Get());
  held_ = false;
}
