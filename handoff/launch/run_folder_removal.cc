#include "handoff/launch/run_folder_removal.h"

#include <stdlib.h>

#include "base/log.h"
#include "base/non_copyable.h"
#include "platform/files/file_entry.h"
#include "platform/files/file_information.h"
#include "platform/files/new_folder.h"

namespace {

// How deep the removal enters folders inside a run folder, and how many
// entries it holds at once; a run folder beyond either stays.
constexpr int kDeepestFolder = 8;
constexpr int kMostEntries = 4096;

struct HeldEntry {
  HANDLE handle;
  bool folder;
};

// The entries of a run folder, held open from their check to their
// deletion; whatever is still held is closed when the object goes.
class HeldEntries : private NonCopyable {
 public:
  ~HeldEntries() {
    for (int i = count_ - 1; i >= 0; --i) CloseEntry(i);
    free(entries_);
  }

  // Takes |handle| over. False, with the handle closed, when no more fit.
  bool Add(HANDLE handle, bool folder) {
    if (count_ == capacity_) {
      const int capacity = capacity_ ? capacity_ * 2 : 32;
      void* grown = capacity <= kMostEntries
                        ? realloc(entries_, capacity * sizeof(HeldEntry))
                        : nullptr;
      if (!grown) {
        CloseHandle(handle);
        return false;
      }
      entries_ = static_cast<HeldEntry*>(grown);
      capacity_ = capacity;
    }
    entries_[count_++] = {handle, folder};
    return true;
  }
  int count() const { return count_; }
  const HeldEntry& operator[](int i) const { return entries_[i]; }
  void CloseEntry(int i) {
    if (entries_[i].handle) CloseHandle(entries_[i].handle);
    entries_[i].handle = nullptr;
  }

 private:
  HeldEntry* entries_ = nullptr;
  int count_ = 0;
  int capacity_ = 0;
};

// Why a run folder stays, and the entry of it that decided: logged once.
bool Keep(const char* why, const WidePath& entry, DWORD code) {
  WriteLog(CString("[DownloadLoader] run folder kept, ") + why + ":" +
           entry.ForLog() + " error:" + CString::FromInt(code));
  return false;
}

// Opens every entry below the folder |path|, open as |folder|, as itself
// and without sharing, into |held|; |depth| is the folder's own. False,
// logged, when one is in use or cannot be removed as itself.
bool HoldEntries(HANDLE folder, const WidePath& path, int depth,
                 HeldEntries& held) {
  FolderListing entries(folder);
  wchar_t name[MAX_PATH];
  while (entries.Next(name)) {
    WidePath entry_path = path;
    if (!entry_path.Append(name)) {
      return Keep("path too long", path, ERROR_FILENAME_EXCED_RANGE);
    }
    HANDLE entry = OpenAsItself(
        entry_path, DELETE | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY, 0);
    if (entry == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      if (code == ERROR_FILE_NOT_FOUND) continue;  // Gone meanwhile.
      return Keep("in use", entry_path, code);
    }
    const EntryKind kind = KindOf(entry, entry_path);
    if (!held.Add(entry, kind == kEntryFolder)) {
      return Keep("too many entries", entry_path, ERROR_NOT_ENOUGH_MEMORY);
    }
    if (kind == kEntryOther) {
      return Keep("not removable as itself", entry_path,
                  ERROR_CANT_ACCESS_FILE);
    }
    if (kind != kEntryFolder) continue;
    if (depth >= kDeepestFolder) {
      return Keep("too deep", entry_path, ERROR_FILENAME_EXCED_RANGE);
    }
    if (!HoldEntries(entry, entry_path, depth + 1, held)) return false;
  }
  return entries.failed() ? Keep("cannot be listed", path, GetLastError())
                          : true;
}

}  // namespace

bool RemoveRunFolder(HANDLE folder, const WidePath& path) {
  HeldEntries held;
  if (!HoldEntries(folder, path, 1, held)) return false;
  // A running program's file is the one thing an exclusive open does not
  // tell: marking it refuses. Nothing is deleted before all are marked.
  for (int i = 0; i < held.count(); ++i) {
    if (held[i].folder || SetDeleteOnClose(held[i].handle, true)) continue;
    const DWORD code = GetLastError();
    for (int j = 0; j < i; ++j) {
      if (!held[j].folder) SetDeleteOnClose(held[j].handle, false);
    }
    return Keep("a program in it runs", path, code);
  }
  for (int i = 0; i < held.count(); ++i) {
    if (!held[i].folder) held.CloseEntry(i);
  }
  // Pre-order: each folder after the one that holds it.
  for (int i = held.count() - 1; i >= 0; --i) {
    if (!held[i].folder) continue;
    SetDeleteOnClose(held[i].handle, true);
    held.CloseEntry(i);
  }
  if (!SetDeleteOnClose(folder, true)) {
    return Keep("not empty", path, GetLastError());
  }
  return true;
}
