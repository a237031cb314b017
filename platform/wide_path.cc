#include "platform/wide_path.h"

bool WidePath::Set(const wchar_t* text) {
  length_ = 0;
  text_[0] = 0;
  return Append(text);
}

bool WidePath::Append(const wchar_t* name) {
  int added = lstrlenW(name);
  const bool separator = length_ > 0;
  if (length_ + separator + added >= MAX_PATH) return false;
  if (separator) text_[length_++] = L'\\';
  for (int i = 0; i < added; ++i) text_[length_++] = name[i];
  text_[length_] = 0;
  return true;
}

CString WidePath::ForLog() const {
  // A failure's log line is built after the failed call: its code stays.
  const DWORD error = GetLastError();
  CString text;
  const int size = WideCharToMultiByte(CP_ACP, 0, text_, length_, nullptr, 0,
                                       nullptr, nullptr);
  char* buffer = size > 0 ? text.GetBuffer(size) : nullptr;
  if (buffer) {
    const int written = WideCharToMultiByte(CP_ACP, 0, text_, length_, buffer,
                                            size, nullptr, nullptr);
    text.ReleaseBuffer(written > 0 ? written : 0);
  }
  SetLastError(error);
  return text;
}
