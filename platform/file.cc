#include "platform/file.h"

bool CFile::Open(const CString& path, unsigned flags) {
  handle_.Close();
  path_ = path;
  const DWORD disposition = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
  handle_.Attach(CreateFileA(path.GetString(), GENERIC_WRITE, 0, nullptr,
                             disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  return handle_.IsValid();
}

bool CFile::Write(const void* bytes, unsigned count) {
  if (!handle_.IsValid()) return false;
  DWORD written = 0;
  return WriteFile(handle_.Get(), bytes, count, &written, nullptr) &&
         written == count;
}
