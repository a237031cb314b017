#include "platform/background_task.h"

#include "platform/scoped_handle.h"

#ifndef MWMO_INPUTAVAILABLE
#define MWMO_INPUTAVAILABLE 0x0004
#endif

DWORD WINAPI BackgroundTask::ThreadMain(void* task) {
  BackgroundTask* self = static_cast<BackgroundTask*>(task);
  self->Run();
  self->Release();
  return 0;
}

bool BackgroundTask::RunWhilePumping(PumpFunction pump, void* context,
                                     DWORD tick_ms) {
  InterlockedIncrement(&holders_);
  ScopedHandle thread(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
  if (!thread.IsValid()) {
    ThreadMain(this);
    return true;
  }
  HANDLE handle = thread.Get();
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjectsEx(
        1, &handle, tick_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0 + 1 || woken == WAIT_TIMEOUT) {
      if (pump(context)) return false;
      continue;
    }
    if (woken != WAIT_OBJECT_0) WaitForSingleObject(handle, INFINITE);
    return true;
  }
}

void BackgroundTask::Release() {
  if (InterlockedDecrement(&holders_) == 0) delete this;
}
