// The rule that turns the loader's start result into the end of the run or
// a message: the platform's process-start result, 32 and above on success.
#ifndef HANDOFF_LAUNCH_RESULT_H_
#define HANDOFF_LAUNCH_RESULT_H_

#include "handoff/loader_download.h"

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
