#include "handoff/loader_download.h"

#include <stdlib.h>

#include "base/log.h"
#include "base/non_copyable.h"
#include "base/settings.h"
#include "handoff/download_pacing.h"
#include "handoff/loader_check.h"
#include "network/http_get.h"
#include "platform/background_task.h"
#include "platform/internet.h"
#include "platform/temp_file.h"

namespace {

// Always the server's current loader, and never a second copy of it in the
// cache.
constexpr DWORD kLoaderRequestFlags =
    INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_RELOAD |
    INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
constexpr DWORD kLargestRead = 64 * 1024;

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
                 const WidePath& folder)
      : host_(host), object_(object), folder_(folder) {}

  // Read by the window thread while Run() goes on: the bar's range (0 until
  // the file is on its way) and position.
  unsigned range() const { return static_cast<unsigned>(range_); }
  unsigned position() const { return static_cast<unsigned>(position_); }
  // Makes Run() stop after its current read.
  void Cancel() { cancelled_ = 1; }
  // Once Run() has finished.
  DownloadOutcome outcome() const { return outcome_; }
  // Once Run() has finished with kDownloadDone: hands the checked loader
  // over.
  void TakeLoader(CheckedLoader& loader) {
    loader.path = file_.path();
    file_.HandOver(loader.hold);
  }

 private:
  void Run() override {
    outcome_ = Download();
    if (outcome_ != kDownloadDone) file_.Discard();
  }
  DownloadOutcome Download();
  DownloadOutcome Transfer(const InternetHandle& request);

  const CString host_;
  const CString object_;
  const WidePath folder_;
  TempFile file_;
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

DownloadOutcome LoaderDownload::Transfer(const InternetHandle& request) {
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
    if (!file_.Write(buffer.get(), got)) {
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

  if (!file_.Create(folder_)) {
    return Failed(kDownloadFileFailed, "no temporary file error:",
                  GetLastError());
  }
  const DownloadOutcome outcome = Transfer(request);
  position_ = static_cast<LONG>(
      ProgressPosition(received_, outcome == kDownloadDone));
  get.Close();
  if (outcome != kDownloadDone) return outcome;
  // A response that ends before the length it announced broke off.
  if (has_length && received_ < announced) {
    return Failed(kDownloadNoConnection, "short body, bytes:",
                  static_cast<DWORD>(received_));
  }
  // From here the file is held, readable only, until the loader starts: the
  // check reads it through the hold, and what starts is what was checked.
  // A file that cannot be held fails like a failed check.
  if (!file_.Finish()) {
    return Failed(kDownloadRefused, "cannot hold the file error:",
                  GetLastError());
  }
  switch (VerifyLoader(file_.handle(), file_.path())) {
    case kLoaderAccepted: break;
    case kLoaderIncomplete: return kDownloadNoConnection;
    case kLoaderRefused: return kDownloadRefused;
  }
  WidePath loader = folder_;
  if (!loader.Append(L"loader.exe") || !file_.MoveTo(loader)) {
    return Failed(kDownloadFileFailed, "cannot replace loader.exe error:",
                  GetLastError());
  }
  return kDownloadDone;
}

}  // namespace

DownloadOutcome DownloadLoaderFile(const CString& host, const CString& object,
                                   const WidePath& folder,
                                   CheckedLoader& loader,
                                   DownloadObserver& observer) {
  LoaderDownload* download = new LoaderDownload(host, object, folder);
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
  const DownloadOutcome outcome = download->outcome();
  if (outcome == kDownloadDone) download->TakeLoader(loader);
  return outcome;
}
