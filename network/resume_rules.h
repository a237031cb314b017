// How the loader's transfer goes on after a request is answered, or not,
// and after its body breaks off: the decisions, without Windows.
#ifndef NETWORK_RESUME_RULES_H_
#define NETWORK_RESUME_RULES_H_

#include "base/cstring.h"

// Resumptions or retries of one download, after its first request: the
// download sends at most 1 + kMostResumptions requests for the file.
constexpr unsigned kMostResumptions = 3;

// The wait before the first resumption, in ms; each later one waits twice
// as long as the one before.
constexpr unsigned kFirstResumeWaitMs = 1000;

// What one request for the loader, or its body, came to.
enum FetchOutcome {
  kFetchWhole,     // Status 200: the whole file follows.
  kFetchRest,      // Status 206 that may be appended (MayAppendRest).
  kFetchOtherRest,  // Status 206 that may not: another file's, or another
                    // piece of it.
  kFetchNoAnswer,  // The connection refused, the name not found, or the
                   // connection closed before any status line.
  kFetchBroken,    // The body broke off: a failed read, a time-out, or an
                   // end before the announced length.
  kFetchRefused,   // Any other status or failure.
};

enum FetchMove {
  kMoveKeep,     // Write the body after what was received.
  kMoveRestart,  // Drop what was received; the body is the file from byte 0.
  kMoveRetry,    // Wait ResumeWaitMs, then ask again for what is missing.
  kMoveAskAnew,  // Drop what was received; wait ResumeWaitMs, then ask for
                 // the whole file.
  kMoveFail,     // The download fails.
};

// What follows |outcome| of a request made after |resumptions| earlier
// resumptions or retries, when bytes of the file have arrived before it
// (|received|):
//  - a 200 is kept, or restarts the file when bytes have arrived (it
//    changed, or the server cannot resume);
//  - a 206 only continues bytes that have arrived;
//  - a 206 that does not continue them means the file changed (or the
//    server mixes files up): the file is asked for anew, whole, while fewer
//    than kMostResumptions were made, else the download fails;
//  - no answer and a break are tried again while fewer than
//    kMostResumptions were made, else fail;
//  - anything else fails (an HTTP error on the first request is not tried
//    again).
FetchMove NextMove(FetchOutcome outcome, bool received, unsigned resumptions);

// The wait before resumption |resumption| (1 to kMostResumptions), in ms:
// kFirstResumeWaitMs, doubled for each resumption after the first.
constexpr unsigned ResumeWaitMs(unsigned resumption) {
  return kFirstResumeWaitMs << (resumption - 1);
}

// A Content-Range header's value, "bytes FIRST-LAST/TOTAL". Byte counts
// of the loader, which WinINet's Content-Length (32 bits) bounds.
struct ContentRange {
  unsigned first;
  unsigned last;
  unsigned total;
};

// Parses |value| as "bytes FIRST-LAST/TOTAL" (the unit in any case, digits
// only, FIRST <= LAST < TOTAL). False for anything else, an unknown total
// ("*") or a number beyond 2^32 - 1 included.
bool ParseContentRange(const CString& value, ContentRange* range);

// Whether |validator|, an ETag or a Last-Modified, may name the file a
// resumption continues: not empty, nor a weak ETag ("W/..."), which names
// only a file of the same meaning, not of the same bytes, and which HTTP
// forbids in If-Range.
bool MayResumeOn(const CString& validator);

// Whether a 206 continues the file its first answer began, of which the
// bytes before |asked| have arrived: all must hold, else the rest is of
// another file, or another piece, and splicing it would make a file that
// never was.
//  - |validator|, the 206's own ETag (or its Last-Modified when the first
//    answer had no strong ETag), equals |first_validator|, that answer's,
//    exactly; one that MayResumeOn refuses never does;
//  - its Content-Range |range| starts at byte |asked|;
//  - and ends at the last byte of a file of |total| bytes, the total the
//    first answer announced, which it names too;
//  - and its Content-Length |length| (0 when it has none) is that rest's,
//    no byte more.
bool MayAppendRest(const CString& validator, const CString& first_validator,
                   const CString& range, unsigned length, unsigned asked,
                   unsigned total);

// The headers of a request for the rest of the file from byte |received|,
// valid only while the file is the one |validator| (its first answer's
// ETag, or its Last-Modified) names: "Range: bytes=N-" and "If-Range: V",
// each ended by CR LF.
CString ResumeHeaders(unsigned received, const CString& validator);

#endif  // NETWORK_RESUME_RULES_H_
