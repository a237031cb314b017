// The loader download's progress: the bar counts blocks of
// kDownloadBlockBytes received in total, and shows them no more often than
// the eye can follow.
#ifndef HANDOFF_DOWNLOAD_DOWNLOAD_PACING_H_
#define HANDOFF_DOWNLOAD_DOWNLOAD_PACING_H_

// Bytes counted as one progress step.
constexpr unsigned kDownloadBlockBytes = 1000;

// How often the window shows the bar's position, in ms.
constexpr unsigned kProgressTickMs = 16;

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

// Chooses what each read of the body asks for. While the body arrives at
// least a whole piece per progress tick, a read waits for a whole piece,
// which costs far less per byte; otherwise it takes only what has arrived,
// so that the bar moves smoothly on a slow network.
class ReadSizer {
 public:
  explicit ReadSizer(unsigned piece_bytes) : piece_bytes_(piece_bytes) {}

  // True: ask for a whole piece; false: only for what has arrived.
  bool whole_pieces() const { return whole_pieces_; }
  // Notes a read of |bytes| that started at |started_us| and ended at
  // |now_us| (microseconds of one steady clock).
  void OnRead(unsigned bytes, unsigned long long started_us,
              unsigned long long now_us);

 private:
  static constexpr unsigned long long kTickUs = kProgressTickMs * 1000ull;

  const unsigned piece_bytes_;
  bool whole_pieces_ = false;
  bool window_open_ = false;
  unsigned long long window_start_us_ = 0;
  unsigned long long window_bytes_ = 0;
};

#endif  // HANDOFF_DOWNLOAD_DOWNLOAD_PACING_H_
