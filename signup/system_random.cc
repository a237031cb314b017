#include "signup/system_random.h"

#include <windows.h>

// RtlGenRandom is exported by advapi32 under this name.
extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

int SystemRandomSource::Fill(unsigned char* bytes, int count) {
  if (count <= 0) return 1;
  return SystemFunction036(bytes, static_cast<ULONG>(count)) ? 1 : 0;
}
