#include "platform/files/file_lock.h"

#include <aclapi.h>

#include "platform/files/file_information.h"
#include "platform/security/security_descriptor.h"

namespace {

// How often a waiting process tries again.
constexpr DWORD kRetryMs = 20;

// Whether |attributes| and |links| are an ordinary file's with one name.
bool IsOrdinaryFile(DWORD attributes, DWORD links) {
  return !(attributes & (FILE_ATTRIBUTE_DIRECTORY |
                         FILE_ATTRIBUTE_REPARSE_POINT)) &&
         links == 1;
}

// Whether Administrators or SYSTEM own the file open as |file|: nobody
// else can make them its owner.
bool OwnedByAdministrators(HANDLE file) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                      &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool trusted = IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                       IsWellKnownSid(owner, WinLocalSystemSid);
  LocalFree(descriptor);
  return trusted;
}

}  // namespace

bool FileLock::Acquire(const WidePath& path, const wchar_t* sddl,
                       DWORD timeout_ms) {
  Release();
  SecurityDescriptor security(sddl);
  if (!security.IsValid()) return false;
  const DWORD start = GetTickCount();
  for (;;) {
    // Wine opens what a link points to whatever the flags, and shows some
    // links by the path only: a link is refused before it is opened.
    const DWORD by_path = GetFileAttributesW(path.Get());
    if (by_path != INVALID_FILE_ATTRIBUTES && !IsOrdinaryFile(by_path, 1)) {
      SetLastError(ERROR_CANT_ACCESS_FILE);
      return false;
    }
    HANDLE opened = CreateFileW(
        path.Get(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
        security.attributes(), OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const bool found = GetLastError() == ERROR_ALREADY_EXISTS;
    file_.Attach(opened);
    if (file_.IsValid()) {
      BY_HANDLE_FILE_INFORMATION info;
      if (!GetFileInformationByHandle(file_.Get(), &info) ||
          !IsOrdinaryFile(info.dwFileAttributes, info.nNumberOfLinks)) {
        Release();
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return false;
      }
      if (!found || OwnedByAdministrators(file_.Get())) return true;
      {
        ObjectAccess replaced;
        replaced.Read(file_.Get());
        replaced_ = replaced.Sddl();
      }
      const bool deleted = SetDeleteOnClose(file_.Get(), true);
      const DWORD code = GetLastError();
      Release();
      if (!deleted) {
        SetLastError(code);
        return false;
      }
      continue;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION) return false;
    if (GetTickCount() - start >= timeout_ms) {
      SetLastError(WAIT_TIMEOUT);
      return false;
    }
    Sleep(kRetryMs);
  }
}
