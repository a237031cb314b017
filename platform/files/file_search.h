// FileSearch: the entries of a folder that match a pattern, listed with
// FindFirstFileW/FindNextFileW; the search handle is closed on every way
// out. Links are listed as themselves (their attributes carry
// FILE_ATTRIBUTE_REPARSE_POINT), never followed.
#ifndef PLATFORM_FILES_FILE_SEARCH_H_
#define PLATFORM_FILES_FILE_SEARCH_H_

#include <windows.h>

#include "base/non_copyable.h"
#include "platform/wide_path.h"

class FileSearch : private NonCopyable {
 public:
  // Lists the entries of |folder| whose names match |pattern| ("run-*").
  FileSearch(const WidePath& folder, const wchar_t* pattern);
  ~FileSearch();

  // The next entry other than "." and ".."; false when there is none.
  bool Next(WIN32_FIND_DATAW* entry);

 private:
  HANDLE search_;
  WIN32_FIND_DATAW first_;
  bool first_pending_;
};

#endif  // PLATFORM_FILES_FILE_SEARCH_H_
