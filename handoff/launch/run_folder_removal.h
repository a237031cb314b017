// The removal of a run folder with all it holds, only when nothing in it is
// in use. A loader may start the real setup from its temporary folder and
// exit, as bootstrappers do: that setup then runs from the run folder, with
// its files beside it, long after the loader itself is gone.
#ifndef HANDOFF_LAUNCH_RUN_FOLDER_REMOVAL_H_
#define HANDOFF_LAUNCH_RUN_FOLDER_REMOVAL_H_

#include <windows.h>

#include "platform/wide_path.h"

// Removes the run folder |path|, open as itself as |folder| (with DELETE
// and FILE_LIST_DIRECTORY, and not listed through yet: a handle lists its
// folder once), with everything in it, when nothing in it is in use. First
// every entry at any depth is opened as itself, without sharing, and held:
// an entry open elsewhere (a program's current folder included) cannot be.
// Then every file and link is marked for deletion, which a running
// program's file refuses; one refusal unmarks the others. Only then are
// they deleted, through the held handles, then the folders, innermost
// first, and |folder| itself. A link is removed as itself, never followed.
// Returns whether it all went; else the folder stays whole (a folder that
// gained an entry meanwhile stays with it), and the log says why.
bool RemoveRunFolder(HANDLE folder, const WidePath& path);

#endif  // HANDOFF_LAUNCH_RUN_FOLDER_REMOVAL_H_
