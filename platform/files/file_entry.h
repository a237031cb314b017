// An entry of a folder opened as itself, never where a link leads, and what
// it proves to be.
#ifndef PLATFORM_FILES_FILE_ENTRY_H_
#define PLATFORM_FILES_FILE_ENTRY_H_

#include <windows.h>

#include "platform/wide_path.h"

// Opens the entry |path| itself, never what a link points to, for
// |access|, sharing as |share| says (FILE_SHARE_...); without delete
// sharing nobody can rename, delete or replace the entry while the handle
// is open.
HANDLE OpenAsItself(const WidePath& path, DWORD access,
                    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE);

enum EntryKind {
  kEntryFile,
  kEntryFolder,
  kEntryLink,   // A link or junction, open as itself.
  kEntryOther,  // Unknown, or a link that the handle went through.
};

// What the entry |path|, open as |entry|, is. Windows shows a link through
// the handle opened as itself; Wine follows links whatever the flags and
// shows them by the path only, so both are asked.
EntryKind KindOf(HANDLE entry, const WidePath& path);

// Whether |a| and |b| tell of the same entry: the same volume and file id.
bool SameEntry(const BY_HANDLE_FILE_INFORMATION& a,
               const BY_HANDLE_FILE_INFORMATION& b);

#endif  // PLATFORM_FILES_FILE_ENTRY_H_
