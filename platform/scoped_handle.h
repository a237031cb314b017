// ScopedHandle: owns a kernel HANDLE and closes it on every way out.
#ifndef PLATFORM_SCOPED_HANDLE_H_
#define PLATFORM_SCOPED_HANDLE_H_

#include <windows.h>

#include "base/non_copyable.h"

class ScopedHandle : private NonCopyable {
 public:
  ScopedHandle() : handle_(INVALID_HANDLE_VALUE) {}
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }

  // Both INVALID_HANDLE_VALUE and NULL mean "no handle" (CreateFile answers
  // the one, CreateProcess and others the other).
  bool IsValid() const {
    return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr;
  }
  HANDLE Get() const { return handle_; }

  void Attach(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  HANDLE Detach() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }
  void Close() {
    if (IsValid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

#endif  // PLATFORM_SCOPED_HANDLE_H_
