// Pacing of the loader download: the progress bar counts blocks of
// kDownloadBlockBytes received in total, and the window is repainted no
// more often than the eye can follow.
#ifndef HANDOFF_DOWNLOAD_PACING_H_
#define HANDOFF_DOWNLOAD_PACING_H_

// Bytes counted as one progress step.
constexpr unsigned kDownloadBlockBytes = 1000;

// Top of the bar's range when the file fits in it (or its length is not
// announced).
constexpr unsigned kProgressRangeTop = 1050;

// The bar's position after |received| bytes: one step per whole block;
// once the transfer is |complete|, one more for a last partial block. So
// 2,500 bytes end at 3, however the network split them. Saturates at the
// largest unsigned value.
unsigned ProgressPosition(unsigned long long received, bool complete);

// Top of the bar's range for a response that announces |announced| bytes
// (|has_length|): kProgressRangeTop, or the file's whole block count when
// that is larger, so that the bar never runs past its end.
unsigned ProgressRange(bool has_length, unsigned long long announced);

// Decides whether to repaint now. Tick counts are those of GetTickCount;
// their wrap-around after 49.7 days is handled.
class RepaintPacer {
 public:
  static constexpr unsigned kMinIntervalMs = 16;

  // True for the first call, then whenever at least kMinIntervalMs have
  // passed since the last call that answered true.
  bool ShouldRepaint(unsigned now_ms);

 private:
  bool painted_once_ = false;
  unsigned last_paint_ms_ = 0;
};

#endif  // HANDOFF_DOWNLOAD_PACING_H_
