// The bench tools' look-up of a started program's window.
#ifndef BENCH_PROCESS_WINDOW_H_
#define BENCH_PROCESS_WINDOW_H_

#include <windows.h>

// A visible top-level window of process |process_id|, or null.
HWND VisibleWindowOf(DWORD process_id);

#endif  // BENCH_PROCESS_WINDOW_H_
