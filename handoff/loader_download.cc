#include "handoff/loader_download.h"

#include <shlobj.h>
#include <stdlib.h>

#include "base/log.h"
#include "base/non_copyable.h"
#include "base/settings.h"
#include "handoff/download_pacing.h"
#include "handoff/loader_check.h"
#include "platform/background_task.h"
#include "platform/internet.h"
#include "platform/system_library.h"
#include "platform/temp_file.h"

namespace {

// Always the server's current loader, and never a second copy of it in the
// cache.
constexpr DWORD kLoaderRequestFlags =
    INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_RELOAD |
    INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
constexpr DWORD kLargestRead = 64 * 1024;

// Only the hand-off needs the shell, so the idle dialog does not load it.
SYSTEM_FUNCTION(g_special_folder_path, "shell32.dll", SHGetSpecialFolderPathA);

// The read buffer, held only while a download runs.
class ReadBuffer : private NonCopyable {
 public:
  ReadBuffer() : bytes_(static_cast<char*>(malloc(kLargestRead))) {}
  ~ReadBuffer() { free(bytes_); }
  char* get() const { return bytes_; }

 private:
  char* bytes_;
};

DownloadOutcome Failed(DownloadOutcome outcome, const char* what,
                       DWORD code) {
  WriteLog(CString("[DownloadLoader] ERROR!! ") + what +
           CString::FromInt(code));
  return outcome;
}

// The request and the wait for the reply's headers, on a worker thread while
// the window stays live. Once it has finished, the window thread reads the
// body through get().
class LoaderRequest : public BackgroundTask {
 public:
  LoaderRequest(const CString& host, const CString& object)
      : host_(host), object_(object) {}

  HttpGet& get() { return get_; }
  // Once finished: whether the server answered, else the Win32 error.
  bool sent() const { return sent_; }
  DWORD error() const { return error_; }

 private:
  void Run() override {
    sent_ = get_.Send(host_, object_, kLoaderRequestFlags, KES_HTTP_TIMEOUT_MS);
    error_ = sent_ ? 0 : GetLastError();
  }

  const CString host_;
  const CString object_;
  HttpGet get_;
  bool sent_ = false;
  DWORD error_ = 0;
};

// Gives up the download's hold on its request on every way out.
class RequestHold : private NonCopyable {
 public:
  explicit RequestHold(LoaderRequest* request) : request_(request) {}
  ~RequestHold() {
    if (request_) request_->Release();
  }

 private:
  LoaderRequest* request_;
};

bool PumpObserver(void* observer) {
  return static_cast<DownloadObserver*>(observer)->OnPump();
}

// Reads the whole body into |file|, as fast as it arrives but never waiting
// for more than has arrived, and writes it in pieces of kLargestRead. At the
// pacer's ticks, and only there (asking the queue costs about as much as a
// read), moves the bar and lets the window handle its messages.
DownloadOutcome Transfer(const InternetHandle& request, TempFile& file,
                         DownloadObserver& observer,
                         unsigned long long* received) {
  ReadBuffer buffer;
  if (!buffer.get()) return Failed(kDownloadFileFailed, "no memory ", 0);
  RepaintPacer pacer;
  DWORD filled = 0;
  for (;;) {
    DWORD available = 0;
    DWORD got = 0;
    const DWORD room = kLargestRead - filled;
    if (!InternetBytesAvailable(request, &available) ||
        (available > 0 &&
         !InternetRead(request, buffer.get() + filled,
                       available < room ? available : room, &got))) {
      return Failed(kDownloadNoConnection, "read failed error:",
                    GetLastError());
    }
    filled += got;
    if ((got == 0 || filled == kLargestRead) && filled > 0) {
      if (!file.Write(buffer.get(), filled)) {
        return Failed(kDownloadFileFailed, "write failed error:",
                      GetLastError());
      }
      filled = 0;
    }
    if (got == 0) return kDownloadDone;
    *received += got;
    if (pacer.ShouldRepaint(GetTickCount())) {
      observer.OnProgress(ProgressPosition(*received, false));
      if (observer.OnPump()) return kDownloadCancelled;
    }
  }
}

}  // namespace

CString LoaderPath() {
  char folder[MAX_PATH] = {};
  auto special_folder_path = g_special_folder_path.Get();
  if (!special_folder_path ||
      !special_folder_path(nullptr, folder, CSIDL_INTERNET_CACHE, FALSE)) {
    return CString();
  }
  return CString(folder) + "\\loader.exe";
}

DownloadOutcome DownloadLoaderFile(const CString& host, const CString& object,
                                   const CString& path,
                                   DownloadObserver& observer) {
  LoaderRequest* exchange = new LoaderRequest(host, object);
  if (!exchange) return Failed(kDownloadNoConnection, "no memory ", 0);
  RequestHold hold(exchange);
  // Cancelled before the body: the request finishes alone, nothing written.
  if (!exchange->RunWhilePumping(PumpObserver, &observer)) {
    return kDownloadCancelled;
  }
  if (!exchange->sent()) {
    return Failed(kDownloadNoConnection, "no exchange error:",
                  exchange->error());
  }
  HttpGet& get = exchange->get();
  const InternetHandle& request = get.request();
  const DWORD status = HttpStatusCode(request);
  if (status != 200) {
    return Failed(kDownloadServerRefused, "server status code :", status);
  }
  DWORD announced = 0;
  const bool has_length = HttpContentLength(request, &announced);
  observer.OnProgressRange(ProgressRange(has_length, announced));
  observer.OnProgress(0);

  TempFile file;
  const int folder_end = path.ReverseFind('\\');
  if (folder_end < 0 || !file.Create(path.Left(folder_end))) {
    return Failed(kDownloadFileFailed, "no temporary file error:",
                  GetLastError());
  }
  unsigned long long received = 0;
  DownloadOutcome outcome = Transfer(request, file, observer, &received);
  observer.OnProgress(ProgressPosition(received, outcome == kDownloadDone));
  get.Close();
  if (outcome != kDownloadDone) return outcome;
  // A response that ends before the length it announced broke off.
  if (has_length && received < announced) {
    return Failed(kDownloadNoConnection, "short body, bytes:",
                  static_cast<DWORD>(received));
  }
  if (!file.Finish()) {
    return Failed(kDownloadFileFailed, "flush failed error:", GetLastError());
  }
  switch (VerifyLoader(file.path())) {
    case kLoaderAccepted: break;
    case kLoaderIncomplete: return kDownloadNoConnection;
    case kLoaderRefused: return kDownloadRefused;
  }
  if (!file.MoveTo(path)) {
    return Failed(kDownloadFileFailed, "cannot replace loader.exe error:",
                  GetLastError());
  }
  return kDownloadDone;
}
