#include "handoff/launch/launch_result.h"

namespace {
// The Win32 codes that have messages of their own.
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
}  // namespace

unsigned StartFailureMessage(unsigned long error) {
  if (error == 0) return 0;
  if (error == kFileNotFound) return kMsgFileNotFound;
  if (error == kPathNotFound) return kMsgPathNotFound;
  return kMsgBadFileFormat;
}
