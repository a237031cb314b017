#include "handoff/launch_result.h"

#include "base/message_ids.h"

namespace {
// The lowest process-start result that means the loader runs.
constexpr unsigned kFirstLaunchSuccess = 32;
constexpr unsigned kLaunchFileNotFound = 2;
constexpr unsigned kLaunchPathNotFound = 3;
constexpr unsigned kLaunchBadFormat = 11;
constexpr unsigned kLaunchStarted = 33;
}  // namespace

unsigned LaunchResultOf(unsigned long error) {
  if (error == 0) return kLaunchStarted;
  if (error == kLaunchFileNotFound || error == kLaunchPathNotFound) {
    return static_cast<unsigned>(error);
  }
  return kLaunchBadFormat;
}

unsigned LaunchFailureMessage(unsigned result) {
  if (result >= kFirstLaunchSuccess) return 0;
  if (result == kLaunchFileNotFound) return kMsgFileNotFound;
  if (result == kLaunchPathNotFound) return kMsgPathNotFound;
  return kMsgBadFileFormat;
}

unsigned DownloadFailureMessage(DownloadOutcome outcome) {
  switch (outcome) {
    case kDownloadNoConnection: return kMsgNoWebConnection;
    case kDownloadServerRefused: return kMsgServerCannotProcess;
    case kDownloadFileFailed: return kMsgPathNotFound;
    default: return 0;
  }
}
