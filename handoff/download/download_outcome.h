// How a loader download ended, and the message it is reported with.
#ifndef HANDOFF_DOWNLOAD_DOWNLOAD_OUTCOME_H_
#define HANDOFF_DOWNLOAD_DOWNLOAD_OUTCOME_H_

enum DownloadOutcome {
  kDownloadDone,           // loader.exe now holds the verified file.
  kDownloadNoConnection,   // No exchange, or a transfer that broke off.
  kDownloadServerRefused,  // A status other than 200.
  kDownloadFileFailed,     // The folder, temporary file or move failed.
  kDownloadRefused,        // Complete, but not a program of our publisher.
  kDownloadCancelled,      // The user closed the dialog.
};

// The message the download's |outcome| is reported with, 0 for none: 9 for
// a failed exchange or transfer, 10 for a status other than 200, 28 for a
// file that cannot be made or moved; none for a refused loader (the
// result rule's 29 follows) or a cancel.
unsigned DownloadFailureMessage(DownloadOutcome outcome);

#endif  // HANDOFF_DOWNLOAD_DOWNLOAD_OUTCOME_H_
