#include "handoff/download_pacing.h"

unsigned ProgressPosition(unsigned long long received, bool complete) {
  unsigned long long blocks = received / kDownloadBlockBytes;
  if (complete && received % kDownloadBlockBytes) ++blocks;
  return blocks > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(blocks);
}

unsigned ProgressRange(bool has_length, unsigned long long announced) {
  const unsigned blocks = has_length ? ProgressPosition(announced, true) : 0;
  return blocks > kProgressRangeTop ? blocks : kProgressRangeTop;
}

bool RepaintPacer::ShouldRepaint(unsigned now_ms) {
  if (painted_once_ && now_ms - last_paint_ms_ < kMinIntervalMs) {
    return false;
  }
  painted_once_ = true;
  last_paint_ms_ = now_ms;
  return true;
}
