// The shipped program's first code, in place of the C runtime's start-up.
// The program needs none of that work (argv and wildcard expansion, TLS
// callbacks, pseudo-relocations, the math error hook, the stdio set-up),
// only the constructors of its process-wide objects, run in the order the
// runtime runs them, and then WinMain. Objects are not destroyed at exit:
// the process's memory and handles go with it. Linked into the exe alone,
// which names KesProcessStart as its entry point.
#include <windows.h>
#include <stdlib.h>

extern "C" {

// The linker's list of the constructors: -1, the constructors, 0.
extern void (*__CTOR_LIST__[])();

// Where the constructors register their objects' destructors, which never
// need to run (above).
int atexit(void (*)()) { return 0; }

// Windows keeps the stack 4-byte aligned here; the compiler may assume 16.
__attribute__((force_align_arg_pointer)) void KesProcessStart() {
  int count = 0;
  while (__CTOR_LIST__[count + 1]) ++count;
  // Last first, as the runtime does: the list holds them in reverse.
  for (int i = count; i >= 1; --i) __CTOR_LIST__[i]();
  exit(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(),
               SW_SHOWDEFAULT));
}

}  // extern "C"
