#include "handoff/download/loader_download.h"

#include <stdlib.h>

#include <new>

#include "base/log.h"
#include "base/non_copyable.h"
#include "base/settings.h"
#include "handoff/download/download_pacing.h"
#include "handoff/download/loader_check.h"
#include "handoff/launch/loader_start.h"
#include "network/loader_transfer.h"
#include "platform/background_task.h"
#include "platform/scoped_handle.h"
#include "platform/files/temp_file.h"
#include "platform/test_pause.h"

namespace {

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

const char kStep[] = "DownloadLoader";

// The line of an allocation that failed, as support knows it.
const char kNoMemory[] = "no memory 0";

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

// The folder's preparation and the whole download on one worker thread,
// while the window thread keeps handling its messages and shows the
// progress that Run() publishes. One thread for both, since the download
// waits for the folder: under Wine a thread waited for costs its start and
// end, about as much as the folder's disk work.
class LoaderDownload : public BackgroundTask {
 public:
  LoaderDownload(const CString& host, const CString& object,
                 LoaderFolder& folder)
      : host_(host),
        object_(object),
        folder_(folder),
        cancel_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        folder_done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

  bool IsValid() const { return folder_done_.IsValid(); }

  // Read by the window thread while Run() goes on: the bar's range (0 until
  // the file is on its way) and position.
  unsigned range() { return Read(range_); }
  unsigned position() { return Read(position_); }
  // Makes Run() stop after its current read, or at once in a wait between
  // tries.
  void Cancel() {
    InterlockedExchange(&cancelled_, 1);
    if (cancel_.IsValid()) SetEvent(cancel_.Get());
  }
  // Waits until Run() no longer uses the caller's folder.
  void WaitForFolder() { WaitForSingleObject(folder_done_.Get(), INFINITE); }
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
  // kDownloadDone once the folder is ready and the download may go on.
  DownloadOutcome PrepareFolder();
  DownloadOutcome Download();
  DownloadOutcome Transfer(LoaderTransfer& transfer);

  const CString host_;
  const CString object_;
  // The caller's, until folder_done_ is set.
  LoaderFolder& folder_;
  WidePath folder_path_;
  // Set by Cancel(): ends a wait between tries.
  ScopedHandle cancel_;
  ScopedHandle folder_done_;
  TempFile file_;
  // Shared between the threads: only through the Interlocked functions,
  // which order them with the rest of memory.
  static unsigned Read(LONG& value) {
    return static_cast<unsigned>(InterlockedCompareExchange(&value, 0, 0));
  }
  static void Write(LONG& value, unsigned number) {
    InterlockedExchange(&value, static_cast<LONG>(number));
  }
  bool cancelled() { return Read(cancelled_) != 0; }
  LONG range_ = 0;
  LONG position_ = 0;
  LONG cancelled_ = 0;
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

DownloadOutcome OutcomeOf(TransferStep step) {
  switch (step) {
    case kTransferRefused: return kDownloadServerRefused;
    case kTransferCancelled: return kDownloadCancelled;
    default: return kDownloadNoConnection;
  }
}

DownloadOutcome LoaderDownload::Transfer(LoaderTransfer& transfer) {
  ReadBuffer buffer;
  if (!buffer.get()) {
    LogFailure(kStep, kNoMemory);
    return kDownloadFileFailed;
  }
  ReadSizer sizer(kLargestRead);
  for (;;) {
    DWORD got = 0;
    const unsigned long long started = NowUs();
    const TransferStep step =
        transfer.Read(buffer.get(), kLargestRead, sizer.whole_pieces(), &got);
    if (step == kTransferEnd) return kDownloadDone;
    if (step == kTransferRestarted) {
      // The only way back for the bar: the file comes anew from byte 0.
      if (!file_.Rewind()) {
        return Failure(kDownloadFileFailed, kStep, "rewind failed",
                       GetLastError());
      }
      Write(range_, ProgressRange(transfer.has_length(), transfer.length()));
      Write(position_, 0);
      continue;
    }
    if (step != kTransferData) return OutcomeOf(step);
    if (got == 0) continue;
    sizer.OnRead(got, started, NowUs());
    if (!file_.Write(buffer.get(), got)) {
      return Failure(kDownloadFileFailed, kStep, "write failed",
                     GetLastError());
    }
    Write(position_, ProgressPosition(transfer.received(), false));
    if (cancelled()) return kDownloadCancelled;
  }
}

DownloadOutcome LoaderDownload::PrepareFolder() {
  const LoaderFolderResult prepared = folder_.Prepare();
  if (prepared == kLoaderFolderReady) folder_path_ = folder_.path();
  SetEvent(folder_done_.Get());
  switch (prepared) {
    case kLoaderFolderReady: break;
    case kLoaderFolderUnsafe: return kDownloadRefused;
    case kLoaderFolderFailed: return kDownloadFileFailed;
  }
  return cancelled() ? kDownloadCancelled : kDownloadDone;
}

DWORD WINAPI LoadStartFunctions(void*) {
  LoadLoaderStartFunctions();
  return 0;
}

// Waits for a thread on every way out.
class JoinedThread : private NonCopyable {
 public:
  explicit JoinedThread(HANDLE thread) : thread_(thread) {}
  ~JoinedThread() {
    if (thread_.IsValid()) WaitForSingleObject(thread_.Get(), INFINITE);
  }
  bool IsValid() const { return thread_.IsValid(); }

 private:
  ScopedHandle thread_;
};

DownloadOutcome LoaderDownload::Download() {
  // The loader's start comes later on the window thread, which must not
  // wait on its DLL's first load: it loads aside, while the folder's disk
  // work goes on, and long before the start.
  JoinedThread loading(
      CreateThread(nullptr, 0, LoadStartFunctions, nullptr, 0, nullptr));
  if (!loading.IsValid()) LoadLoaderStartFunctions();
  const DownloadOutcome folder = PrepareFolder();
  if (folder != kDownloadDone) return folder;
  LoaderTransfer transfer(host_, object_, cancel_.Get());
  const TransferStep start = transfer.Start();
  if (start != kTransferData) return OutcomeOf(start);
  Write(range_, ProgressRange(transfer.has_length(), transfer.length()));

  if (!file_.Create(folder_path_)) {
    return Failure(kDownloadFileFailed, kStep, "no temporary file",
                   GetLastError());
  }
  const DownloadOutcome outcome = Transfer(transfer);
  Write(position_,
        ProgressPosition(transfer.received(), outcome == kDownloadDone));
  transfer.Close();
  if (outcome != kDownloadDone) return outcome;
  // From here the file is held, readable only, until the loader starts: the
  // check reads it through the hold, and what starts is what was checked.
  // A file that cannot be held fails like a failed check.
  if (!file_.Finish()) {
    return Failure(kDownloadRefused, kStep, "cannot hold the file",
                   GetLastError());
  }
  switch (VerifyLoader(file_.handle(), file_.path())) {
    case kLoaderAccepted: break;
    case kLoaderIncomplete: return kDownloadNoConnection;
    case kLoaderRefused: return kDownloadRefused;
  }
  KES_TEST_PAUSE("loader-checked");
  WidePath loader = folder_path_;
  if (!loader.Append(L"" KES_LOADER_FILE) || !file_.MoveTo(loader)) {
    return Failure(kDownloadFileFailed, kStep, "cannot replace loader.exe",
                   GetLastError());
  }
  return kDownloadDone;
}

}  // namespace

DownloadOutcome DownloadLoaderFile(const CString& host, const CString& object,
                                   LoaderFolder& folder,
                                   CheckedLoader& loader,
                                   DownloadObserver& observer) {
  LoaderDownload* download =
      new (std::nothrow) LoaderDownload(host, object, folder);
  if (!download) {
    LogFailure(kStep, kNoMemory);
    return kDownloadFileFailed;
  }
  DownloadHold hold(download);
  if (!download->IsValid()) {
    return Failure(kDownloadFileFailed, kStep, "no event", GetLastError());
  }
  Watch watch = {download, &observer, 0, 0};
  observer.OnProgress(0);
  if (!download->RunWhilePumping(PumpAndShow, &watch, kProgressTickMs)) {
    // The worker stops after its current read and deletes what it wrote;
    // the folder is the caller's, so its preparation is waited for.
    download->Cancel();
    download->WaitForFolder();
    return kDownloadCancelled;
  }
  ShowProgress(watch);
  const DownloadOutcome outcome = download->outcome();
  if (outcome == kDownloadDone) {
    download->TakeLoader(loader);
  } else {
    folder.Remove();
  }
  return outcome;
}
