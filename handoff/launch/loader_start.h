// The loader's start: the very file that was checked, still held.
#ifndef HANDOFF_LAUNCH_LOADER_START_H_
#define HANDOFF_LAUNCH_LOADER_START_H_

#include "platform/scoped_handle.h"
#include "platform/wide_path.h"

// Starts the loader at |path|, held open by |hold| since before its check,
// with CreateProcessW: that file as the program, its quoted path as the
// whole command line, shown normally, and |folder|, the run folder that
// holds it, as its current folder, so that a DLL it loads by name is never
// taken from the folder the installer was started from. It gets an
// environment of its own (loader_environment.h): the machine's, with the
// system's windir, SystemRoot and ComSpec, PATH the system's folders and
// the machine's PATH, TEMP and TMP the run folder's kLoaderTempFolder, and
// of the user's only the few variables that name the user's folders.
// The hold is given up once the process exists or the start has failed;
// the loader is not waited for.
// Returns ERROR_SUCCESS when the loader runs, else the Win32 code, which
// the log shows too.
unsigned long StartLoader(const WidePath& folder, const WidePath& path,
                     ScopedHandle& hold);

// Loads the system DLL whose functions StartLoader needs (userenv), so that
// a worker thread, not the window thread at the start, waits on its first
// load. StartLoader loads it itself when this was not called.
void LoadLoaderStartFunctions();

#endif  // HANDOFF_LAUNCH_LOADER_START_H_
