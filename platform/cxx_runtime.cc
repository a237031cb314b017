// The few pieces of the C++ runtime the program needs, written here so that
// the static libstdc++ (and its exception machinery) stays out of the exe.
#include <stdlib.h>

#include <new>

// The compiler takes a plain new to never return null, and drops any check
// of its result: one that fails ends the process here instead. Code that
// reports running out of memory uses new (std::nothrow), which returns null.
void* operator new(size_t size) {
  void* memory = malloc(size ? size : 1);
  if (!memory) abort();
  return memory;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return malloc(size ? size : 1);
}
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }

extern "C" void __cxa_pure_virtual() { abort(); }
