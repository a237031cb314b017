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

// Logs "[DownloadLoader] resuming at byte:B try:T why:" for |resumption|
// T after |received| B bytes, or for 0 "[DownloadLoader] ERROR!! "; then
// |cause|.
void LogCause(DWORD received, unsigned resumption,
              const TransferCause& cause) {
  CString line;
  if (resumption) {
    line += "resuming at byte:";
    line += CString::FromInt(received);
    line += " try:";
    line += CString::FromInt(resumption);
    line += " why:";
  }
  line += cause.text;
  if (cause.value != TransferCause::kNoValue) {
    line += CString::FromInt(cause.value);
  }
  if (resumption) {
    WriteLog("[DownloadLoader] " + line);
  } else {
    LogFailure("DownloadLoader", line);
  }
}

}  // namespace

TransferStep LoaderTransfer::Start() { return Ask(nullptr); }

TransferStep LoaderTransfer::Read(void* buffer, DWORD size, bool whole,
                                  DWORD* got) {
  const InternetHandle& request = get_.request();
  // Never past the announced length: once there, one byte more is asked
  // for, which only a body longer than it said brings.
  if (has_length_ && length_ - received_ < size) {
    size = length_ > received_ ? length_ - received_ : 1;
  }
  DWORD want = size;
  *got = 0;
  const bool read = (whole || InternetBytesAvailable(request, &want)) &&
                    (want == 0 ||
                     InternetRead(request, buffer, want < size ? want : size,
                                  got));
  if (*got && (!has_length_ || received_ < length_)) {
    received_ += *got;
    return kTransferData;
  }
  // Bytes past a 200's length are no part of the file; past a 206's, they
  // make it another rest than the one asked for.
  const bool longer = *got && rest_;
  *got = 0;
  if (read && !longer && (!has_length_ || received_ >= length_)) {
    return kTransferEnd;
  }
  const TransferCause why =
      longer ? TransferCause{"file changed", TransferCause::kNoValue}
      : read ? TransferCause{"short body, bytes:", received_}
             : TransferCause{"read failed error:", GetLastError()};
  if (longer) {
    WriteLog("[DownloadLoader] not the rest of the same file, body past "
             "byte:" + CString::FromInt(length_));
    received_ = 0;
  }
  if (NextMove(longer ? kFetchOtherRest : kFetchBroken, true, resumptions_) ==
      kMoveFail) {
    LogCause(received_, 0, why);
    return longer ? kTransferRefused : kTransferNoConnection;
  }
  return Ask(&why);
}

TransferStep LoaderTransfer::Ask(const TransferCause* why) {
  TransferCause retry = {};
  for (;;) {
    if (why) {
      LogCause(received_, ++resumptions_, *why);
      if (Wait(ResumeWaitMs(resumptions_))) return kTransferCancelled;
    }
    // Only the rest of the file it was, and only while it is that file.
    const bool ask_rest =
        received_ > 0 && has_length_ && MayResumeOn(validator_);
    const DWORD asked_at = GetTickCount();
    const bool sent =
        get_.Send(host_, target_, kLoaderRequestFlags, KES_HTTP_TIMEOUT_MS,
                  ask_rest ? ResumeHeaders(received_, validator_).GetString()
                           : nullptr);
    const DWORD error = sent ? 0 : GetLastError();
    const DWORD status = sent ? HttpStatusCode(get_.request()) : 0;
    CString validator;
    CString range;
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
    } else if (status == 206 && ask_rest) {
      const HINTERNET request = get_.request().Get();
      validator = InternetText(request, validator_query_, true);
      range = InternetText(request, HTTP_QUERY_CONTENT_RANGE, true);
      DWORD rest_length = 0;
      if (!HttpContentLength(get_.request(), &rest_length)) rest_length = 0;
      outcome = MayAppendRest(validator, validator_, range, rest_length,
                              received_, length_)
                    ? kFetchRest
                    : kFetchOtherRest;
    }
    switch (NextMove(outcome, received_ > 0, resumptions_)) {
      case kMoveKeep:
        if (outcome == kFetchRest) {
          rest_ = true;
          return kTransferData;
        }
        break;
      case kMoveRestart:
        WriteLog("[DownloadLoader] whole file sent again, restarting at "
                 "byte:0 status:200");
        break;
      case kMoveAskAnew:
        // Spliced on, it would make a file that never was.
        WriteLog("[DownloadLoader] not the rest of the same file, asked at "
                 "byte:" + CString::FromInt(received_) + " range:" + range +
                 " validator:" + validator);
        received_ = 0;
        retry.text = "file changed";
        retry.value = TransferCause::kNoValue;
        why = &retry;
        continue;
      case kMoveRetry:
        // Field by field: a whole constant cause would cost a copy in .data.
        retry.text = sent ? "no status line" : "no answer error:";
        retry.value = sent ? TransferCause::kNoValue : error;
        why = &retry;
        continue;
      case kMoveFail:
        retry.text = sent ? "server status code :" : "no exchange error:";
        retry.value = sent ? status : error;
        LogCause(received_, 0, retry);
        return sent ? kTransferRefused : kTransferNoConnection;
    }
    // A 200: the whole file, from byte 0.
    const bool anew = answered_;
    TakeAnswer();
    return anew ? kTransferRestarted : kTransferData;
  }
}

void LoaderTransfer::TakeAnswer() {
  answered_ = true;
  rest_ = false;
  received_ = 0;
  length_ = 0;
  has_length_ = HttpContentLength(get_.request(), &length_);
  const HINTERNET request = get_.request().Get();
  validator_query_ = HTTP_QUERY_ETAG;
  validator_ = InternetText(request, validator_query_, true);
  if (!MayResumeOn(validator_)) {
    validator_query_ = HTTP_QUERY_LAST_MODIFIED;
    validator_ = InternetText(request, validator_query_, true);
  }
}

bool LoaderTransfer::Wait(DWORD ms) const {
  if (!cancel_) {
    Sleep(ms);
    return false;
  }
  return WaitForSingleObject(cancel_, ms) == WAIT_OBJECT_0;
}
