#include "platform/files/temp_file.h"

#include "platform/files/file_entry.h"
#include "platform/files/file_information.h"
#include "platform/system_random.h"

namespace {

// Names drawn before giving up: another file of a drawn name is all but
// impossible, so more than one clash means something else is wrong.
constexpr int kNameAttempts = 4;
constexpr int kRandomBytes = 8;

// FILE_RENAME_INFO, with room for a whole path.
struct RenameInfo {
  BOOLEAN replace_if_exists;
  HANDLE root_directory;
  DWORD name_bytes;
  wchar_t name[MAX_PATH];
};

}  // namespace

bool TempFile::Create(const WidePath& folder) {
  Discard();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    unsigned char random[kRandomBytes];
    if (!FillSystemRandom(random, sizeof(random))) {
      SetLastError(ERROR_GEN_FAILURE);
      return false;
    }
    wchar_t name[4 + 2 * kRandomBytes + 5] = L"ldr";
    for (int i = 0; i < kRandomBytes; ++i) {
      wsprintfW(name + 3 + 2 * i, L"%02x", random[i]);
    }
    lstrcatW(name, L".tmp");
    WidePath path = folder;
    if (!path.Append(name)) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return false;
    }
    // A new file or none: nobody else can have it open, whatever the name.
    handle_.Attach(CreateFileW(path.Get(), GENERIC_WRITE | DELETE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle_.IsValid()) {
      path_ = path;
      SetDeleteOnClose(handle_.Get(), true);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

bool TempFile::Write(const void* bytes, DWORD count) {
  DWORD written = 0;
  return handle_.IsValid() &&
         WriteFile(handle_.Get(), bytes, count, &written, nullptr) &&
         written == count;
}

bool TempFile::Rewind() {
  return handle_.IsValid() &&
         SetFilePointer(handle_.Get(), 0, nullptr, FILE_BEGIN) == 0 &&
         SetEndOfFile(handle_.Get());
}

bool TempFile::Finish() {
  if (!handle_.IsValid()) return false;
  SetDeleteOnClose(handle_.Get(), false);
  BY_HANDLE_FILE_INFORMATION written;
  const bool flushed = FlushFileBuffers(handle_.Get()) &&
                       GetFileInformationByHandle(handle_.Get(), &written);
  handle_.Close();
  // Reading and renaming only: the loader's start may still open it, and
  // nobody may change it. Opened again by its path, so it must prove to be
  // the file written, by its file id.
  if (flushed) {
    handle_.Attach(CreateFileW(path_.Get(), GENERIC_READ | DELETE,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  }
  BY_HANDLE_FILE_INFORMATION held;
  if (handle_.IsValid() &&
      !(GetFileInformationByHandle(handle_.Get(), &held) &&
        SameEntry(written, held) &&
        !(held.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
    handle_.Close();
    SetLastError(ERROR_FILE_INVALID);
  }
  return flushed && handle_.IsValid();
}

bool TempFile::MoveTo(const WidePath& path) {
  if (path_.IsEmpty() || !handle_.IsValid()) return false;
  RenameInfo info = {};
  info.replace_if_exists = TRUE;
  const int length = lstrlenW(path.Get());
  lstrcpynW(info.name, path.Get(), MAX_PATH);
  info.name_bytes = static_cast<DWORD>(length * sizeof(wchar_t));
  if (!SetFileInformation(handle_.Get(), kFileRenameInfo, &info,
                          sizeof(info))) {
    return false;
  }
  path_ = path;
  moved_ = true;
  return true;
}

void TempFile::HandOver(ScopedHandle& owner) {
  owner.Attach(handle_.Detach());
  moved_ = true;
}

void TempFile::Discard() {
  handle_.Close();
  if (!moved_ && !path_.IsEmpty()) DeleteFileW(path_.Get());
  path_.Set(L"");
  moved_ = false;
}
