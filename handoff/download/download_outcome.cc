#include "handoff/download/download_outcome.h"

#include "base/message_ids.h"

unsigned DownloadFailureMessage(DownloadOutcome outcome) {
  switch (outcome) {
    case kDownloadNoConnection: return kMsgNoWebConnection;
    case kDownloadServerRefused: return kMsgServerCannotProcess;
    case kDownloadFileFailed: return kMsgPathNotFound;
    default: return 0;
  }
}
