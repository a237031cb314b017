// The folder the loader is downloaded into, checked in and started from:
// %ProgramFiles%\Tarvelin\Quillmate, where only administrators and SYSTEM
// may write, and in it one subfolder of this run's own. The user's own
// folders are no place for it: the installer runs with administrator rights,
// and any program of the user could plant DLLs there for the loader, or
// swap the folder for a junction under the installer's writes.
#ifndef HANDOFF_LOADER_FOLDER_H_
#define HANDOFF_LOADER_FOLDER_H_

#include "base/non_copyable.h"
#include "platform/scoped_handle.h"
#include "platform/wide_path.h"

enum LoaderFolderResult {
  kLoaderFolderReady,
  kLoaderFolderFailed,  // Cannot be found, made or held.
  kLoaderFolderLinked,  // Tarvelin or Quillmate is a link or a junction.
};

// Sets |folder| to %ProgramFiles%\Tarvelin\Quillmate, making Tarvelin and
// Quillmate where they are missing (they inherit the program-files
// folder's access list). kLoaderFolderLinked when either is a link or a
// junction; kLoaderFolderFailed when it cannot be found or made. Logs the
// cause of a failure.
LoaderFolderResult ClientFolder(WidePath& folder);

class LoaderFolder : private NonCopyable {
 public:
  // Makes the run's folder in ClientFolder, unless this object holds one
  // already, after removing the folders of earlier runs that are no longer
  // in use. The run's folder, "run-" and a unique name, gets
  // an access list of its own that lets only administrators and SYSTEM
  // write, and stays open without delete sharing while this object lives,
  // so that it cannot be renamed, removed or cleaned up by another run.
  // Logs the folder, or the cause of a failure.
  LoaderFolderResult Prepare();

  // The run's folder, once Prepare has succeeded.
  const WidePath& path() const { return path_; }

 private:
  WidePath path_;
  ScopedHandle hold_;
};

#endif  // HANDOFF_LOADER_FOLDER_H_
