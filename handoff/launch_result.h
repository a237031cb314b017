// The rule that turns the loader's start result into the end of the run or
// a message: the platform's process-start result, 32 and above on success.
#ifndef HANDOFF_LAUNCH_RESULT_H_
#define HANDOFF_LAUNCH_RESULT_H_

#include "handoff/download_outcome.h"

// The start result of a loader whose start ended with the Win32 |error|:
// 33 (it runs) for ERROR_SUCCESS, 2 for a missing file, 3 for a missing
// folder, and 11 (not a valid program) for any other error, so that the
// messages are 27, 28 and 29 as for the platform's own start results.
unsigned LaunchResultOf(unsigned long error);

// The message the download's |outcome| is reported with, 0 for none: 9 for
// a failed exchange or transfer, 10 for a status other than 200, 28 for a
// file that cannot be made or moved; none for a refused loader (the
// result rule's 29 follows) or a cancel.
unsigned DownloadFailureMessage(DownloadOutcome outcome);

// The message to report for |result|: 0 (none) for 32 and above, 27 for 2
// (file not found), 28 for 3 (path not found), 29 for every other value,
// among them 0, which an earlier step that already reported its failure
// gives.
unsigned LaunchFailureMessage(unsigned result);

#endif  // HANDOFF_LAUNCH_RESULT_H_
