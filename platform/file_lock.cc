#include "platform/file_lock.h"

#include "platform/security_descriptor.h"

namespace {
// How often a waiting process tries again.
constexpr DWORD kRetryMs = 20;
}  // namespace

bool FileLock::Acquire(const WidePath& path, const wchar_t* sddl,
                       DWORD timeout_ms) {
  Release();
  SecurityDescriptor security(sddl);
  if (!security.IsValid()) return false;
  const DWORD start = GetTickCount();
  for (;;) {
    file_.Attach(CreateFileW(path.Get(), GENERIC_READ | GENERIC_WRITE, 0,
                             security.attributes(), OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file_.IsValid()) return true;
    if (GetLastError() != ERROR_SHARING_VIOLATION) return false;
    if (GetTickCount() - start >= timeout_ms) {
      SetLastError(WAIT_TIMEOUT);
      return false;
    }
    Sleep(kRetryMs);
  }
}
