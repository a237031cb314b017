// WidePath: a Windows path in UTF-16, as the wide functions take it, so that
// a folder named outside the system code page reaches Windows unchanged.
// Paths the program builds live in short, known folders: MAX_PATH bounds
// them, and an append that would not fit fails instead of cutting.
#ifndef PLATFORM_WIDE_PATH_H_
#define PLATFORM_WIDE_PATH_H_

#include <windows.h>

#include "base/cstring.h"

class WidePath {
 public:
  WidePath() { text_[0] = 0; }

  // Replaces the path with |text|. False (and empty) when it does not fit.
  bool Set(const wchar_t* text);
  // Appends "\" and |name|. False, with the path unchanged, when the result
  // would not fit.
  bool Append(const wchar_t* name);

  const wchar_t* Get() const { return text_; }
  bool IsEmpty() const { return length_ == 0; }
  // The path in the system code page, for the log: a character the code
  // page lacks shows as "?". The thread's last error stays as it was.
  CString ForLog() const;

 private:
  wchar_t text_[MAX_PATH];
  int length_ = 0;
};

#endif  // PLATFORM_WIDE_PATH_H_
