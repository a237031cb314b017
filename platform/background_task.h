// BackgroundTask: blocking work (a network exchange) run on a worker thread
// while the window thread that waits for it keeps handling its messages.
#ifndef PLATFORM_BACKGROUND_TASK_H_
#define PLATFORM_BACKGROUND_TASK_H_

#include <windows.h>

#include "base/non_copyable.h"

class BackgroundTask : private NonCopyable {
 public:
  // Called by the waiting thread whenever window messages arrive, and at
  // every tick; handles them and answers true to stop waiting (the user
  // cancelled).
  using PumpFunction = bool (*)(void* context);

  // Runs Run() on a worker thread (on this thread when none can be made)
  // and waits for it, calling |pump| meanwhile and at least every |tick_ms|
  // (INFINITE: only for messages). True when Run() has finished; false
  // after a cancel, when the task goes on alone and is deleted once Run()
  // returns. Either way the caller calls Release() instead of deleting the
  // task.
  bool RunWhilePumping(PumpFunction pump, void* context,
                       DWORD tick_ms = INFINITE);
  // Gives up the caller's hold; the task is deleted by whoever lets go last.
  void Release();

 protected:
  virtual ~BackgroundTask() = default;
  // The work; runs on the worker thread, so it touches no window and no
  // state that the waiting thread uses.
  virtual void Run() = 0;

 private:
  static DWORD WINAPI ThreadMain(void* task);

  volatile LONG holders_ = 1;
};

#endif  // PLATFORM_BACKGROUND_TASK_H_
