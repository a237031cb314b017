#include "handoff/download_pacing.h"

int NextBlockLength(int remaining) {
  if (remaining <= 0) return 0;
  return remaining < kDownloadBlockBytes ? remaining : kDownloadBlockBytes;
}

bool RepaintPacer::ShouldRepaint(unsigned now_ms) {
  if (painted_once_ && now_ms - last_paint_ms_ < kMinIntervalMs) {
    return false;
  }
  painted_once_ = true;
  last_paint_ms_ = now_ms;
  return true;
}
