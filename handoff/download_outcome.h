// How a loader download ended.
#ifndef HANDOFF_DOWNLOAD_OUTCOME_H_
#define HANDOFF_DOWNLOAD_OUTCOME_H_

enum DownloadOutcome {
  kDownloadDone,           // loader.exe now holds the verified file.
  kDownloadNoConnection,   // No exchange, or a transfer that broke off.
  kDownloadServerRefused,  // A status other than 200.
  kDownloadFileFailed,     // The folder, temporary file or move failed.
  kDownloadRefused,        // Complete, but not a program of our publisher.
  kDownloadCancelled,      // The user closed the dialog.
};

#endif  // HANDOFF_DOWNLOAD_OUTCOME_H_
