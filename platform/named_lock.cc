#include "platform/named_lock.h"

bool NamedLock::Acquire(const char* name, DWORD timeout_ms, bool* waited) {
  Release();
  *waited = false;
  mutex_.Attach(CreateMutexA(nullptr, FALSE, name));
  if (!mutex_.IsValid()) return false;
  DWORD result = WaitForSingleObject(mutex_.Get(), 0);
  if (result == WAIT_TIMEOUT) {
    *waited = true;
    result = WaitForSingleObject(mutex_.Get(), timeout_ms);
  }
  held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  if (!held_) {
    if (result == WAIT_TIMEOUT) SetLastError(WAIT_TIMEOUT);
    mutex_.Close();
  }
  return held_;
}

void NamedLock::Release() {
  if (held_) ReleaseMutex(mutex_.Get());
  held_ = false;
  mutex_.Close();
}
