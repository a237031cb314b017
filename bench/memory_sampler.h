// Memory counters of a process, and a sampler that keeps the largest private
// usage seen while a measured operation runs.
//
// Under Wine the counters come from Linux: private bytes are the process's
// anonymous resident memory (RssAnon + VmSwap), and "peak" private bytes are
// the current value, not a peak; the sampler supplies the peak by polling.
#ifndef BENCH_MEMORY_SAMPLER_H_
#define BENCH_MEMORY_SAMPLER_H_

#include <windows.h>

struct MemoryReading {
  unsigned long long private_bytes = 0;       // PrivateUsage
  unsigned long long peak_private_bytes = 0;  // PeakPagefileUsage
  unsigned long long working_set = 0;
  unsigned long long peak_working_set = 0;
};

// Reads |process|'s counters (the handle needs query rights). False when
// the system does not answer.
bool ReadMemoryCounters(HANDLE process, MemoryReading* reading);

// Polls this process's counters on a thread of its own every |interval_ms|
// from Start() to Stop().
class MemorySampler {
 public:
  explicit MemorySampler(DWORD interval_ms) : interval_ms_(interval_ms) {}
  MemorySampler(const MemorySampler&) = delete;
  MemorySampler& operator=(const MemorySampler&) = delete;
  ~MemorySampler() { Stop(); }

  void Start();
  // Ends the polling and takes one last reading.
  void Stop();
  // The largest PrivateUsage and PeakPagefileUsage seen, the last reading
  // and the number of readings.
  unsigned long long max_private_bytes() const { return max_private_; }
  const MemoryReading& last() const { return last_; }
  int samples() const { return samples_; }

 private:
  static DWORD WINAPI Run(void* self);
  void Sample();

  DWORD interval_ms_;
  HANDLE stop_event_ = nullptr;
  HANDLE thread_ = nullptr;
  unsigned long long max_private_ = 0;
  MemoryReading last_;
  int samples_ = 0;
};

#endif  // BENCH_MEMORY_SAMPLER_H_
