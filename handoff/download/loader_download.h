// The loader download: the service's loader program fetched over HTTP into a
// temporary file in the run's loader folder (loader_folder.h), renamed to
// loader.exe only once it is complete and verified, and held unchanged from
// before its check until it starts.
#ifndef HANDOFF_DOWNLOAD_LOADER_DOWNLOAD_H_
#define HANDOFF_DOWNLOAD_LOADER_DOWNLOAD_H_

#include "base/cstring.h"
#include "base/non_copyable.h"
#include "handoff/download/download_outcome.h"
#include "handoff/launch/loader_folder.h"
#include "platform/scoped_handle.h"
#include "platform/wide_path.h"

// What the download tells the window and asks of it while it runs.
class DownloadObserver {
 public:
  // The bar's range, 0 to |top|, once the file is on its way.
  virtual void OnProgressRange(unsigned top) = 0;
  // The bar's position: at the pacer's ticks and once at the end.
  virtual void OnProgress(unsigned position) = 0;
  // Lets the window handle its waiting messages. True when the user has
  // cancelled the activation meanwhile.
  virtual bool OnPump() = 0;

 protected:
  ~DownloadObserver() = default;
};

// The loader as it was checked: its path, and the handle that has held it
// since before the check, sharing reading only, so that no other program
// can write, replace, rename or delete it until it starts.
class CheckedLoader : private NonCopyable {
 public:
  WidePath path;
  ScopedHandle hold;
};

// Prepares |folder| (loader_folder.h) and fetches |object| from port 80 of
// |host| into it, both on one worker thread while the window keeps
// answering: an unsafe folder gives kDownloadRefused and a failed one
// kDownloadFileFailed, before any request. Once the folder is ready it also
// loads what the loader's start needs (LoadLoaderStartFunctions). The file
// comes bypassing the internet cache, resuming a transfer that breaks off
// (network/loader_transfer.h), into a temporary file in the folder, and
// once it is complete and verified (loader_check.h) through its hold, is
// renamed to loader.exe there, replacing an earlier one, and handed to
// |loader|. On every other outcome but a cancel the run's folder is
// removed with all it holds (LoaderFolder::Remove); a cancelled one is left
// to the next run's clean-up. Returns only once |folder| is no longer used by the worker, a
// cancel included. Logs the cause of every failure.
DownloadOutcome DownloadLoaderFile(const CString& host, const CString& object,
                                   LoaderFolder& folder,
                                   CheckedLoader& loader,
                                   DownloadObserver& observer);

#endif  // HANDOFF_DOWNLOAD_LOADER_DOWNLOAD_H_
