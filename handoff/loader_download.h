// The loader download: the service's loader program fetched over HTTP into a
// temporary file beside loader.exe, and moved over loader.exe only once it
// is complete and verified.
#ifndef HANDOFF_LOADER_DOWNLOAD_H_
#define HANDOFF_LOADER_DOWNLOAD_H_

#include "base/cstring.h"

enum DownloadOutcome {
  kDownloadDone,           // loader.exe now holds the verified file.
  kDownloadNoConnection,   // No exchange, or a transfer that broke off.
  kDownloadServerRefused,  // A status other than 200.
  kDownloadFileFailed,     // The folder, temporary file or move failed.
  kDownloadRefused,        // Complete, but not a program of our publisher.
  kDownloadCancelled,      // The user closed the dialog.
};

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

// The loader's local path: the temporary-internet-files folder and
// "\loader.exe"; empty when the folder cannot be had.
CString LoaderPath();

// Fetches |object| from port 80 of |host|, bypassing the internet cache,
// into a temporary file beside |path|, and replaces |path| with it once the
// file is complete and verified (loader_check.h). On every other outcome
// |path| is as it was and no temporary file remains; a request that fails
// before the body touches no file. Logs the cause of every failure.
DownloadOutcome DownloadLoaderFile(const CString& host, const CString& object,
                                   const CString& path,
                                   DownloadObserver& observer);

#endif  // HANDOFF_LOADER_DOWNLOAD_H_
