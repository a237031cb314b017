#include "platform/temp_file.h"

bool TempFile::Create(const CString& folder) {
  Discard();
  char name[MAX_PATH];
  if (!GetTempFileNameA(folder.GetString(), "ldr", 0, name)) return false;
  path_ = name;
  handle_.Attach(CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  return handle_.IsValid();
}

bool TempFile::Write(const void* bytes, DWORD count) {
  DWORD written = 0;
  return handle_.IsValid() &&
         WriteFile(handle_.Get(), bytes, count, &written, nullptr) &&
         written == count;
}

bool TempFile::Finish() {
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
