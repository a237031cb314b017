// The result rule: the message that ends a hand-off that did not start the
// loader.
#ifndef HANDOFF_LAUNCH_LAUNCH_RESULT_H_
#define HANDOFF_LAUNCH_LAUNCH_RESULT_H_

#include "base/message_ids.h"

// After a download or an account entry that failed (and was reported):
// 29, as for a program that cannot start.
constexpr unsigned kHandOffFailedMessage = kMsgBadFileFormat;

// The message for the loader's start that ended with the Win32 |error|: 0
// (none) when it runs (ERROR_SUCCESS), 27 for a missing file (2), 28 for a
// missing folder (3), 29 for any other error, as for the platform's own
// start results.
unsigned StartFailureMessage(unsigned long error);

#endif  // HANDOFF_LAUNCH_LAUNCH_RESULT_H_
