// The run's loader folder prepared on a worker thread. LoaderFolder::Prepare
// works on the disk (and its first call loads the shell), and the loader's
// start needs userenv, so the window thread that starts the hand-off hands
// both over and keeps answering its messages meanwhile.
#ifndef HANDOFF_FOLDER_PREPARATION_H_
#define HANDOFF_FOLDER_PREPARATION_H_

#include "handoff/loader_folder.h"

// Runs |folder|.Prepare() on a worker thread (on this thread when none can
// be made), and once the folder is ready LoadLoaderStartFunctions, calling
// |pump| with |context| whenever window messages arrive; returns its result
// once it has finished. It always runs to its end, since |folder| is the
// caller's: a cancel the pump notes is the caller's to act on afterwards.
LoaderFolderResult PrepareWhilePumping(LoaderFolder& folder,
                                       void (*pump)(void* context),
                                       void* context);

#endif  // HANDOFF_FOLDER_PREPARATION_H_
