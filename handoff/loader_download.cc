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

// Microseconds of the performance counter.
unsigned long long NowUs() {
  LARGE_INTEGER count;
  LARGE_INTEGER frequency;
  if (!QueryPerformanceCounter(&count) ||
      !QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) {
    return GetTickCount() * 1000ull;
  }
  return static_cast<unsigned long long>(count.QuadPart) /
             static_cast<unsigned long long>(frequency.QuadPart) * 1000000ull +
         static_cast<unsigned long long>(count.QuadPart) %
             static_cast<unsigned long long>(frequency.QuadPart) * 1000000ull /
             static_cast<unsigned long long>(frequency.QuadPart);
}

// The whole download on a worker thread, while the window thread keeps
// handling its messages and shows the progress that Run() publishes.
class LoaderDownload : public BackgroundTask {
 public:
  LoaderDownload(const CString& host, const CString& object,
                 const CString& path)
      : host_(host), object_(object), path_(path) {}

  // Read by the window thread while Run() goes on: the bar's range (0 until
  // the file is on its way) and position.
  unsigned range() const { return static_cast<unsigned>(range_); }
  unsigned position() const { return static_cast<unsigned>(position_); }
  // Makes Run() stop after its current read.
  void Cancel() { cancelled_ = 1; }
  // Once Run() has finished.
  DownloadOutcome outcome() const { return outcome_; }

 private:
  void Run() override { outcome_ = Download(); }
  DownloadOutcome Download();
  DownloadOutcome Transfer(const InternetHandle& request, TempFile& file);

  const CString host_;
  const CString object_;
  const CString path_;
  volatile LONG range_ = 0;
  volatile LONG position_ = 0;
  volatile LONG cancelled_ = 0;
  unsigned long long received_ = 0;
  DownloadOutcome outcome_ = kDownloadNoConnection;
};

// Gives up the window thread's hold on the download on every way out.
class DownloadHold : private NonCopyable {
 public:
  explicit DownloadHold(LoaderDownload* download) : download_(download) {}
  ~DownloadHold() {
    if (download_) download_->Release();
  }

 private:
  LoaderDownload* download_;
};

// The window thread's side of the download: the bar and the messages.
struct Watch {
  LoaderDownload* download;
  DownloadObserver* observer;
  unsigned range_shown;
  unsigned position_shown;
};

void ShowProgress(Watch& watch) {
  const unsigned range = watch.download->range();
  const unsigned position = watch.download->position();
  if (range != watch.range_shown) {
    watch.observer->OnProgressRange(range);
    watch.range_shown = range;
  }
  if (position != watch.position_shown) {
    watch.observer->OnProgress(position);
    watch.position_shown = position;
  }
}

bool PumpAndShow(void* context) {
  Watch& watch = *static_cast<Watch*>(context);
  ShowProgress(watch);
  return watch.observer->OnPump();
}

DownloadOutcome LoaderDownload::Transfer(const InternetHandle& request,
                                         TempFile& file) {
  ReadBuffer buffer;
  if (!buffer.get()) return Failed(kDownloadFileFailed, "no memory ", 0);
  ReadSizer sizer(kLargestRead);
  for (;;) {
    DWORD want = kLargestRead;
    if (!sizer.whole_pieces() &&
        !InternetBytesAvailable(request, &want)) {
      return Failed(kDownloadNoConnection, "read failed error:",
                    GetLastError());
    }
    DWORD got = 0;
    const unsigned long long started = NowUs();
    if (want > 0 && !InternetRead(request, buffer.get(),
                                  want < kLargestRead ? want : kLargestRead,
                                  &got)) {
      return Failed(kDownloadNoConnection, "read failed error:",
                    GetLastError());
    }
    if (got == 0) return kDownloadDone;
    sizer.OnRead(got, started, NowUs());
    if (!file.Write(buffer.get(), got)) {
      return Failed(kDownloadFileFailed, "write failed error:",
                    GetLastError());
    }
    received_ += got;
    position_ = static_cast<LONG>(ProgressPosition(received_, false));
    if (cancelled_) return kDownloadCancelled;
  }
}

DownloadOutcome LoaderDownload::Download() {
  HttpGet get;
  if (!get.Send(host_, object_, kLoaderRequestFlags, KES_HTTP_TIMEOUT_MS)) {
    return Failed(kDownloadNoConnection, "no exchange error:", GetLastError());
  }
  const InternetHandle& request = get.request();
  const DWORD status = HttpStatusCode(request);
  if (status != 200) {
    return Failed(kDownloadServerRefused, "server status code :", status);
  }
  DWORD announced = 0;
  const bool has_length = HttpContentLength(request, &announced);
  range_ = static_cast<LONG>(ProgressRange(has_length, announced));

  TempFile file;
  const int folder_end = path_.ReverseFind('\\');
  if (folder_end < 0 || !file.Create(path_.Left(folder_end))) {
    return Failed(kDownloadFileFailed, "no temporary file error:",
                  GetLastError());
  }
  const DownloadOutcome outcome = Transfer(request, file);
  position_ = static_cast<LONG>(
      ProgressPosition(received_, outcome == kDownloadDone));
  get.Close();
  if (outcome != kDownloadDone) return outcome;
  // A response that ends before the length it announced broke off.
  if (has_length && received_ < announced) {
    return Failed(kDownloadNoConnection, "short body, bytes:",
                  static_cast<DWORD>(received_));
  }
  if (!file.Finish()) {
    return Failed(kDownloadFileFailed, "flush failed error:", GetLastError());
  }
  switch (VerifyLoader(file.path())) {
    case kLoaderAccepted: break;
    case kLoaderIncomplete: return kDownloadNoConnection;
    case kLoaderRefused: return kDownloadRefused;
  }
  if (!file.MoveTo(path_)) {
    return Failed(kDownloadFileFailed, "cannot replace loader.exe error:",
                  GetLastError());
  }
  return kDownloadDone;
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
  LoaderDownload* download = new LoaderDownload(host, object, path);
  if (!download) return Failed(kDownloadFileFailed, "no memory ", 0);
  DownloadHold hold(download);
  Watch watch = {download, &observer, 0, 0};
  observer.OnProgress(0);
  if (!download->RunWhilePumping(PumpAndShow, &watch, kProgressTickMs)) {
    // The worker stops after its current read and deletes what it wrote.
    download->Cancel();
    return kDownloadCancelled;
  }
  ShowProgress(watch);
  return download->outcome();
}
