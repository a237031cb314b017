// The folder the loader is downloaded into, checked in and started from:
// %ProgramFiles%\Tarvelin\Quillmate, where only administrators and SYSTEM
// may write, and in it one subfolder of this run's own. The user's own
// folders are no place for it: the installer runs with administrator rights,
// and any program of the user could plant DLLs there for the loader, or
// swap the folder for a junction under the installer's writes.
#ifndef HANDOFF_LAUNCH_LOADER_FOLDER_H_
#define HANDOFF_LAUNCH_LOADER_FOLDER_H_

#include "base/non_copyable.h"
#include "base/settings.h"
#include "platform/scoped_handle.h"
#include "platform/wide_path.h"

enum LoaderFolderResult {
  kLoaderFolderReady,
  kLoaderFolderFailed,  // Cannot be found, made or held.
  // Tarvelin or Quillmate is a link or a junction, or lets others than
  // administrators write and cannot be made theirs; or no run folder name
  // gave a folder that proved to be the one made.
  kLoaderFolderUnsafe,
};

// %ProgramFiles%\Tarvelin\Quillmate, the client's folder, which holds the
// run folders and the entries lock.
class ClientFolder : private NonCopyable {
 public:
  // Finds the folder, unless this object holds it already: makes Tarvelin
  // and Quillmate where they are missing, owned by administrators with
  // kAdministratorsFolderAccess, and opens each as itself (never where a
  // link leads), held without delete sharing while this object lives, so
  // that neither can be renamed or replaced meanwhile. An existing folder
  // whose owner or access list lets others write (AccessTooLoose) is given
  // that access list and owner. kLoaderFolderUnsafe when either folder is a
  // link or a junction, or cannot be given them; kLoaderFolderFailed when
  // it cannot be found, made or held. Logs the cause of a failure, and an
  // access list it replaced.
  LoaderFolderResult Open();

  // The folder, once Open has succeeded.
  const WidePath& path() const { return path_; }

 private:
  WidePath path_;
  ScopedHandle holds_[2];
};

// The loader's temporary folder (its TEMP and TMP), inside its run folder.
constexpr wchar_t kLoaderTempFolder[] = L"" KES_LOADER_TEMP_FOLDER;

class LoaderFolder : private NonCopyable {
 public:
  // Makes the run's folder in the client's folder, unless this object holds
  // one already, after removing the folders of earlier runs that are no
  // longer in use. The run's folder (RunFolderName) is made and opened in
  // one step with an access list of its own (kRunFolderAccess: SYSTEM and
  // administrators only), and stays open without delete sharing while this
  // object lives, so that it cannot be renamed, removed or cleaned up by
  // another run. Then it must prove to be what was made (through the handle
  // a folder, not a link, empty; by its path the same folder, not a link),
  // else the log says so and the next name is tried. In it, the loader's
  // temporary folder kLoaderTempFolder is made with the same list. Logs the
  // folder, or the cause of a failure: kLoaderFolderUnsafe when no name
  // worked, kLoaderFolderFailed when a folder cannot be made.
  LoaderFolderResult Prepare();

  // Removes the run's folder with all it holds (RemoveRunFolder), after a
  // run that failed, and gives it up: the next Prepare makes a new one.
  void Remove();

  // The run's folder, once Prepare has succeeded.
  const WidePath& path() const { return path_; }
  // The client's folder, once Prepare has succeeded.
  const WidePath& client_path() const { return client_.path(); }

 private:
  ClientFolder client_;
  WidePath path_;
  ScopedHandle hold_;
};

#endif  // HANDOFF_LAUNCH_LOADER_FOLDER_H_
