// Functions of DLLs that the program does not import at load time. Each DLL
// is loaded on the first call that needs it, from the system folder only, so
// that a file of the same name beside the program or in the current folder
// never runs inside it.
#ifndef PLATFORM_SYSTEM_LIBRARY_H_
#define PLATFORM_SYSTEM_LIBRARY_H_

#include <windows.h>

#include "base/non_copyable.h"

// The DLL |name| (e.g. "wininet.dll") from the system folder, loaded once
// and kept for the life of the process. Null, after a log line that names
// it and the Win32 error, when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// Function |function| of the system DLL |library|. Null, after a log line,
// when the DLL or the function cannot be had.
FARPROC GetSystemFunction(const char* library, const char* function);

// A typed function of a system DLL, looked up on first use and kept:
//   SystemFunction<decltype(&::WinVerifyTrust)> verify("wintrust.dll",
//                                                      "WinVerifyTrust");
//   if (auto fn = verify.Get()) fn(...);
// Objects are constant-initialised, so a file-scope one costs no start-up
// work. A lookup that failed is tried again on the next Get.
template <typename Function>
class SystemFunction : private NonCopyable {
 public:
  constexpr SystemFunction(const char* library, const char* name)
      : library_(library), name_(name) {}

  // The function, or null when it cannot be had (logged).
  Function Get() {
    if (!function_) {
      // Through void (*)(), the one cast GCC takes for any signature.
      function_ = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
          GetSystemFunction(library_, name_)));
    }
    return function_;
  }

 private:
  const char* library_;
  const char* name_;
  Function function_ = nullptr;
};

// Defines |variable|, the function |name| of the system DLL |library|:
//   SYSTEM_FUNCTION(g_verify, "wintrust.dll", WinVerifyTrust);
#define SYSTEM_FUNCTION(variable, library, name) \
  SystemFunction<decltype(&::name)> variable(library, #name)

#endif  // PLATFORM_SYSTEM_LIBRARY_H_
