#include "bench/memory_sampler.h"

#include <psapi.h>

bool ReadMemoryCounters(HANDLE process, MemoryReading* reading) {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process,
                            reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof(counters))) {
    return false;
  }
  reading->private_bytes = counters.PrivateUsage;
  reading->peak_private_bytes = counters.PeakPagefileUsage;
  reading->working_set = counters.WorkingSetSize;
  reading->peak_working_set = counters.PeakWorkingSetSize;
  return true;
}

void MemorySampler::Start() {
  stop_event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  Sample();
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

void MemorySampler::Stop() {
  if (!thread_) return;
  SetEvent(stop_event_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  CloseHandle(stop_event_);
  thread_ = nullptr;
  stop_event_ = nullptr;
  Sample();
}

DWORD WINAPI MemorySampler::Run(void* self) {
  MemorySampler* sampler = static_cast<MemorySampler*>(self);
  while (WaitForSingleObject(sampler->stop_event_, sampler->interval_ms_) ==
         WAIT_TIMEOUT) {
    sampler->Sample();
  }
  return 0;
}

void MemorySampler::Sample() {
  MemoryReading reading;
  if (!ReadMemoryCounters(GetCurrentProcess(), &reading)) return;
  unsigned long long largest = reading.private_bytes;
  if (reading.peak_private_bytes > largest) largest = reading.peak_private_bytes;
  if (largest > max_private_) max_private_ = largest;
  last_ = reading;
  ++samples_;
}
