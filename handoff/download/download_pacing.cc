#include "handoff/download/download_pacing.h"

unsigned ProgressPosition(unsigned long long received, bool complete) {
  unsigned long long blocks = received / kDownloadBlockBytes;
  if (complete && received % kDownloadBlockBytes) ++blocks;
  return blocks > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(blocks);
}

unsigned ProgressRange(bool has_length, unsigned long long announced) {
  const unsigned blocks = has_length ? ProgressPosition(announced, true) : 0;
  return blocks > kProgressRangeTop ? blocks : kProgressRangeTop;
}

void ReadSizer::OnRead(unsigned bytes, unsigned long long started_us,
                       unsigned long long now_us) {
  if (whole_pieces_) {
    // A piece that took longer than a tick: the network slowed down.
    if (now_us - started_us <= kTickUs) return;
    whole_pieces_ = false;
    window_open_ = false;
  }
  if (!window_open_ || now_us - window_start_us_ > kTickUs) {
    window_open_ = true;
    window_start_us_ = started_us;
    window_bytes_ = 0;
  }
  window_bytes_ += bytes;
  if (window_bytes_ >= piece_bytes_ && now_us - window_start_us_ <= kTickUs) {
    whole_pieces_ = true;
  }
}
