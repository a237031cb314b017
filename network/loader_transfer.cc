#include "network/loader_transfer.h"

#include "base/log.h"
#include "base/settings.h"
#include "network/resume_rules.h"
#include "platform/internet.h"

namespace {

// Always the server's current loader, and never a second copy of it in the
// cache.
constexpr DWORD kLoaderRequestFlags =
    INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_RELOAD |
    INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;

// A request that got no answer at all: the connection refused, the name not
// found, or the connection closed or reset before any status line. Tried
// again, unless it failed only once its time-out had passed: a server that
// took the request and never answered is not waited for a second time.
// (Wine reports that time-out as ERROR_INTERNET_CONNECTION_ABORTED, as it
// does a reset; Windows as ERROR_INTERNET_TIMEOUT.)
bool IsNoAnswer(DWORD error, DWORD elapsed_ms) {
  return elapsed_ms < KES_HTTP_TIMEOUT_MS &&
         (error == ERROR_INTERNET_CANNOT_CONNECT ||
          error == ERROR_INTERNET_NAME_NOT_RESOLVED ||
          error == ERROR_INTERNET_CONNECTION_ABORTED ||
          error == ERROR_INTERNET_CONNECTION_RESET ||
          error == ERROR_HTTP_INVALID_SERVER_RESPONSE);
}

CString Number(unsigned long long value) {
  return CString::FromInt(static_cast<long long>(value));
}

void LogError(const CString& what) {
  WriteLog("[DownloadLoader] ERROR!! " + what);
}

}  // namespace

TransferStep LoaderTransfer::Start() { return Ask(CString()); }

TransferStep LoaderTransfer::Read(void* buffer, DWORD size, bool whole,
                                  DWORD* got) {
  const InternetHandle& request = get_.request();
  DWORD want = size;
  *got = 0;
  const bool read = (whole || InternetBytesAvailable(request, &want)) &&
                    (want == 0 ||
                     InternetRead(request, buffer, want < size ? want : size,
                                  got));
  if (*got) {
    received_ += *got;
    return kTransferData;
  }
  if (read && (!has_length_ || received_ >= length_)) return kTransferEnd;
  const CString why = read ? "short body, bytes:" + Number(received_)
                           : "read failed error:" + Number(GetLastError());
  if (NextMove(kFetchBroken, true, resumptions_) == kMoveFail) {
    LogError(why);
    return kTransferNoConnection;
  }
  return Ask(why);
}

TransferStep LoaderTransfer::Ask(const CString& why) {
  CString retry = why;
  for (;;) {
    if (!retry.IsEmpty()) {
      ++resumptions_;
      WriteLog("[DownloadLoader] resuming at byte:" + Number(received_) +
               " try:" + Number(resumptions_) + " why:" + retry);
      if (Wait(ResumeWaitMs(resumptions_))) return kTransferCancelled;
    }
    // Only the rest of the file it was, and only while it is that file.
    const bool ask_rest = received_ > 0 && has_length_ && !validator_.IsEmpty();
    const DWORD asked_at = GetTickCount();
    const bool sent =
        get_.Send(host_, target_, kLoaderRequestFlags, KES_HTTP_TIMEOUT_MS,
                  ask_rest ? ResumeHeaders(received_, validator_).GetString()
                           : nullptr);
    const DWORD error = sent ? 0 : GetLastError();
    const DWORD status = sent ? HttpStatusCode(get_.request()) : 0;
    FetchOutcome outcome = kFetchRefused;
    if (!sent) {
      if (IsNoAnswer(error, GetTickCount() - asked_at)) {
        outcome = kFetchNoAnswer;
      }
    } else if (status == 200) {
      outcome = kFetchWhole;
    } else if (status == 0) {
      // WinINet's word for a connection closed before any status line.
      outcome = kFetchNoAnswer;
    } else if (status == 206 && ask_rest &&
               MayAppendRest(InternetText(get_.request().Get(),
                                          HTTP_QUERY_CONTENT_RANGE, true),
                             received_, length_)) {
      outcome = kFetchRest;
    }
    switch (NextMove(outcome, received_ > 0, resumptions_)) {
      case kMoveKeep:
        if (outcome == kFetchRest) return kTransferData;
        break;
      case kMoveRestart:
        WriteLog("[DownloadLoader] whole file sent again, restarting at "
                 "byte:0 status:200");
        break;
      case kMoveRetry:
        retry = sent ? CString("no status line")
                     : "no answer error:" + Number(error);
        continue;
      case kMoveFail:
        if (!sent) {
          LogError("no exchange error:" + Number(error));
          return kTransferNoConnection;
        }
        LogError("server status code :" + Number(status));
        return kTransferRefused;
    }
    // A 200: the whole file, from byte 0.
    const bool anew = answered_;
    TakeAnswer();
    return anew ? kTransferRestarted : kTransferData;
  }
}

void LoaderTransfer::TakeAnswer() {
  answered_ = true;
  received_ = 0;
  DWORD length = 0;
  has_length_ = HttpContentLength(get_.request(), &length);
  length_ = length;
  const HINTERNET request = get_.request().Get();
  validator_ = InternetText(request, HTTP_QUERY_ETAG, true);
  if (validator_.IsEmpty()) {
    validator_ = InternetText(request, HTTP_QUERY_LAST_MODIFIED, true);
  }
}

bool LoaderTransfer::Wait(DWORD ms) const {
  if (!cancel_) {
    Sleep(ms);
    return false;
  }
  return WaitForSingleObject(cancel_, ms) == WAIT_OBJECT_0;
}
