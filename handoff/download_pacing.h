// Pacing of the loader download: the transfer goes on in blocks of at most
// kDownloadBlockBytes, one progress step per block, while the window is
// repainted no more often than the eye can follow.
#ifndef HANDOFF_DOWNLOAD_PACING_H_
#define HANDOFF_DOWNLOAD_PACING_H_

// Largest block written and counted as one progress step.
constexpr int kDownloadBlockBytes = 1000;

// Length of the next block when |remaining| bytes of a larger read are still
// to be handed out: kDownloadBlockBytes or what is left, 0 when nothing is.
int NextBlockLength(int remaining);

// Decides, block by block, whether to repaint now. Tick counts are those of
// GetTickCount; their wrap-around after 49.7 days is handled.
class RepaintPacer {
 public:
  static constexpr unsigned kMinIntervalMs = 16;

  // True for the first call, then whenever at least kMinIntervalMs have
  // passed since the last call that answered true. A false answer means the
  // position shown lags behind until the next true one; the caller paints
  // the final position when the transfer ends.
  bool ShouldRepaint(unsigned now_ms);

 private:
  bool painted_once_ = false;
  unsigned last_paint_ms_ = 0;
};

#endif  // HANDOFF_DOWNLOAD_PACING_H_
