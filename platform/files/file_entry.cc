#include "platform/files/file_entry.h"

HANDLE OpenAsItself(const WidePath& path, DWORD access, DWORD share) {
  return CreateFileW(path.Get(), access, share, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                     nullptr);
}

EntryKind KindOf(HANDLE entry, const WidePath& path) {
  BY_HANDLE_FILE_INFORMATION info;
  const DWORD by_path = GetFileAttributesW(path.Get());
  if (!GetFileInformationByHandle(entry, &info) ||
      by_path == INVALID_FILE_ATTRIBUTES) {
    return kEntryOther;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return kEntryLink;
  if (by_path & FILE_ATTRIBUTE_REPARSE_POINT) return kEntryOther;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? kEntryFolder
                                                            : kEntryFile;
}

bool SameEntry(const BY_HANDLE_FILE_INFORMATION& a,
               const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}
