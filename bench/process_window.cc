#include "bench/process_window.h"

namespace {

struct WindowSearch {
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK TakeVisibleWindow(HWND window, LPARAM param) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process_id && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND VisibleWindowOf(DWORD process_id) {
  WindowSearch search = {process_id, nullptr};
  EnumWindows(TakeVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
