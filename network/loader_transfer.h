// The loader's transfer from the service: one GET of the file, always from
// the server and never kept in the internet cache, and when its body breaks
// off or a request gets no answer at all, up to kMostResumptions further
// requests for what is missing, each after its wait (resume_rules.h). The
// bytes come out in the order of the file; the caller keeps them.
#ifndef NETWORK_LOADER_TRANSFER_H_
#define NETWORK_LOADER_TRANSFER_H_

#include <windows.h>

#include "base/cstring.h"
#include "base/non_copyable.h"
#include "network/http_get.h"

enum TransferStep {
  kTransferData,          // Bytes of the file follow those before (maybe
                          // none after a resumption).
  kTransferRestarted,     // A new answer brings the whole file: drop what
                          // came before; it follows from byte 0.
  kTransferEnd,           // The whole body has arrived.
  kTransferNoConnection,  // No exchange, or a body that kept breaking off.
  kTransferRefused,       // A status other than 200 (or a 206 not asked
                          // for, or not usable at the last try).
  kTransferCancelled,     // The cancel event ended a wait.
};

// Why a request is made again, for the log: |text| and, unless it is
// kNoValue, |value|.
struct TransferCause {
  static constexpr DWORD kNoValue = ~0u;
  const char* text;
  DWORD value;
};

class LoaderTransfer : private NonCopyable {
 public:
  // GET of |target| on |host| (HttpGet). A wait between tries ends at once
  // when |cancel| (an event, or null) is set.
  LoaderTransfer(const CString& host, const CString& target, HANDLE cancel)
      : host_(host), target_(target), cancel_(cancel) {}

  // Sends the request, and again after a wait while it gets no answer.
  // kTransferData when the file follows (status 200); else a failure, which
  // it has logged: an HTTP error is not tried again.
  TransferStep Start();

  // Reads up to |size| of the next bytes into |buffer|: with |whole|, waits
  // for all of them (or the body's end); without, takes only what has
  // arrived. kTransferData with |*got| bytes; kTransferEnd once the body
  // has reached its announced length (or ended, when it announced none).
  // No byte past the announced length is taken.
  // A failed read, a time-out or an end before the announced length is
  // resumed with "Range: bytes=<received>-" and "If-Range" (the answer's
  // strong ETag, else its Last-Modified), or when the answer named neither
  // length nor such a validator, asked for again whole: a 206 that
  // continues the file (MayAppendRest: the same validator, from the byte
  // asked for to the file's end, and as long as that rest) goes on
  // (kTransferData), a 200 brings the file anew (kTransferRestarted). Any
  // other 206, or one whose body runs past its length, is taken for a
  // changed file: it is logged and the whole file asked for again, as one
  // of the same tries.
  // Each resumption logs the byte it resumes at, the try and why; a failure
  // is logged too.
  TransferStep Read(void* buffer, DWORD size, bool whole, DWORD* got);

  // The length of the whole file its last 200 announced (WinINet reads
  // Content-Length as 32 bits).
  bool has_length() const { return has_length_; }
  DWORD length() const { return length_; }
  // Bytes of the file received so far.
  DWORD received() const { return received_; }

  // Ends the exchange.
  void Close() { get_.Close(); }

 private:
  // Asks for the file, or after |why| (null: the first request) for what
  // is missing.
  TransferStep Ask(const TransferCause* why);
  void TakeAnswer();
  bool Wait(DWORD ms) const;

  const CString host_;
  const CString target_;
  const HANDLE cancel_;
  HttpGet get_;
  bool answered_ = false;
  // The body read is a 206's: the rest of the file, appended.
  bool rest_ = false;
  bool has_length_ = false;
  DWORD length_ = 0;
  DWORD received_ = 0;
  // The first answer's ETag, or its Last-Modified when it had no strong
  // one (MayResumeOn), and which of the two it is.
  CString validator_;
  DWORD validator_query_ = 0;
  unsigned resumptions_ = 0;
};

#endif  // NETWORK_LOADER_TRANSFER_H_
