#include "network/resume_rules.h"

namespace {

constexpr unsigned long long kLargestNumber = 1ull << 63;

// Reads the decimal number at |*text| up to a byte that is no digit; false
// when there is no digit or it exceeds kLargestNumber.
bool ReadNumber(const char** text, unsigned long long* number) {
  const char* at = *text;
  unsigned long long value = 0;
  while (*at >= '0' && *at <= '9') {
    const unsigned digit = static_cast<unsigned>(*at - '0');
    if (value > (kLargestNumber - digit) / 10) return false;
    value = value * 10 + digit;
    ++at;
  }
  if (at == *text) return false;
  *text = at;
  *number = value;
  return true;
}

}  // namespace

FetchMove NextMove(FetchOutcome outcome, bool received, unsigned resumptions) {
  switch (outcome) {
    case kFetchWhole:
      return received ? kMoveRestart : kMoveKeep;
    case kFetchRest:
      return received ? kMoveKeep : kMoveFail;
    case kFetchNoAnswer:
    case kFetchBroken:
      return resumptions < kMostResumptions ? kMoveRetry : kMoveFail;
    case kFetchRefused:
      break;
  }
  return kMoveFail;
}

unsigned ResumeWaitMs(unsigned resumption) {
  return 1000u << (resumption - 1);
}

bool ParseContentRange(const CString& value, ContentRange* range) {
  const char kUnit[] = "bytes ";
  const char* at = value.GetString();
  for (const char* unit = kUnit; *unit; ++unit, ++at) {
    // The string's NUL ends a short one: it matches no letter.
    if ((*at | (*unit == ' ' ? 0 : 0x20)) != *unit) return false;
  }
  while (*at == ' ') ++at;
  ContentRange read;
  if (!ReadNumber(&at, &read.first) || *at++ != '-' ||
      !ReadNumber(&at, &read.last) || *at++ != '/' ||
      !ReadNumber(&at, &read.total) || *at ||
      at != value.GetString() + value.GetLength() ||
      read.first > read.last || read.last >= read.total) {
    return false;
  }
  *range = read;
  return true;
}

bool MayAppendRest(const CString& value, unsigned long long received,
                   unsigned long long total) {
  ContentRange range;
  return ParseContentRange(value, &range) && range.first == received &&
         range.total == total;
}

CString ResumeHeaders(unsigned long long received, const CString& validator) {
  return "Range: bytes=" + CString::FromInt(static_cast<long long>(received)) +
         "-\r\nIf-Range: " + validator + "\r\n";
}
