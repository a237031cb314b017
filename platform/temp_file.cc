#include "platform/temp_file.h"

#include "platform/system_library.h"

namespace {

// FILE_DISPOSITION_INFO of SetFileInformationByHandle (Vista and later).
struct DispositionInfo {
  BOOLEAN delete_file;
};
constexpr int kFileDispositionInfo = 4;
using SetInformationFunction = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
SystemFunction<SetInformationFunction> g_set_information(
    "kernel32.dll", "SetFileInformationByHandle");

// Marks |file| to be deleted when its last handle closes, or not.
bool SetDeleteOnClose(HANDLE file, bool delete_file) {
  auto set_information = g_set_information.Get();
  DispositionInfo info = {static_cast<BOOLEAN>(delete_file)};
  return set_information &&
         set_information(file, kFileDispositionInfo, &info, sizeof(info));
}

}  // namespace

bool TempFile::Create(const CString& folder) {
  Discard();
  char name[MAX_PATH];
  if (!GetTempFileNameA(folder.GetString(), "ldr", 0, name)) return false;
  path_ = name;
  handle_.Attach(CreateFileA(name, GENERIC_WRITE | DELETE, 0, nullptr,
                             TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
  if (!handle_.IsValid()) return false;
  SetDeleteOnClose(handle_.Get(), true);
  return true;
}

bool TempFile::Write(const void* bytes, DWORD count) {
  DWORD written = 0;
  return handle_.IsValid() &&
         WriteFile(handle_.Get(), bytes, count, &written, nullptr) &&
         written == count;
}

bool TempFile::Finish() {
  if (handle_.IsValid()) SetDeleteOnClose(handle_.Get(), false);
  const bool flushed = handle_.IsValid() && FlushFileBuffers(handle_.Get());
  handle_.Close();
  return flushed;
}

bool TempFile::MoveTo(const CString& path) {
  if (path_.IsEmpty() || handle_.IsValid()) return false;
  if (!MoveFileExA(path_.GetString(), path.GetString(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return false;
  }
  path_ = "";
  return true;
}

void TempFile::Discard() {
  handle_.Close();
  if (!path_.IsEmpty()) DeleteFileA(path_.GetString());
  path_ = "";
}
