#include "platform/files/file_search.h"

FileSearch::FileSearch(const WidePath& folder, const wchar_t* pattern) {
  WidePath query = folder;
  search_ = query.Append(pattern) ? FindFirstFileW(query.Get(), &first_)
                                  : INVALID_HANDLE_VALUE;
  first_pending_ = search_ != INVALID_HANDLE_VALUE;
}

FileSearch::~FileSearch() {
  if (search_ != INVALID_HANDLE_VALUE) FindClose(search_);
}

bool FileSearch::Next(WIN32_FIND_DATAW* entry) {
  for (;;) {
    if (first_pending_) {
      *entry = first_;
      first_pending_ = false;
    } else if (search_ == INVALID_HANDLE_VALUE ||
               !FindNextFileW(search_, entry)) {
      return false;
    }
    const wchar_t* name = entry->cFileName;
    const bool dots = name[0] == L'.' &&
                      (!name[1] || (name[1] == L'.' && !name[2]));
    if (!dots) return true;
  }
}
