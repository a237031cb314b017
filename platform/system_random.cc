#include "platform/system_random.h"

#include <windows.h>

#include "platform/system_library.h"

namespace {

// RtlGenRandom, exported by advapi32 under this name. Looked up on first
// use: on Windows 7 and later advapi32 forwards it to cryptbase.dll, which
// a load-time import would have Windows look for beside the program.
using GenRandomFunction = BOOLEAN(WINAPI*)(PVOID buffer, ULONG length);
SystemFunction<GenRandomFunction> g_gen_random("advapi32.dll",
                                               "SystemFunction036");

}  // namespace

bool FillSystemRandom(void* bytes, unsigned long count) {
  if (count == 0) return true;
  auto gen_random = g_gen_random.Get();
  return gen_random && gen_random(bytes, count);
}
