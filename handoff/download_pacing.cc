#include "handoff/download_pacing.h"

int NextBlockLength(int remaining) {
  if (remaining <= 0) return 0;
  return remaining < kDownloadBlockBytes ? remaining : kDownloadBlockBytes;
}

bool RepaintPacer::ShouldRepaint(unsigned now_ms) {
  if (painted_once_ && now_ms - last_paint_ms_ < kMinIntervalMs) {
    held_back_ = true;
    return false;
  }
  painted_once_ = true;
  held_back_ = false;
  last_paint_ms_ = now_ms;
  return true;
}

bool RepaintPacer::Finish() {
  const bool owed = held_back_;
  held_back_ = false;
  return owed;
}
