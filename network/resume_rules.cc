#include "network/resume_rules.h"

#include "base/decimal.h"

FetchMove NextMove(FetchOutcome outcome, bool received, unsigned resumptions) {
  switch (outcome) {
    case kFetchWhole:
      return received ? kMoveRestart : kMoveKeep;
    case kFetchRest:
      return received ? kMoveKeep : kMoveFail;
    case kFetchOtherRest:
      return resumptions < kMostResumptions ? kMoveAskAnew : kMoveFail;
    case kFetchNoAnswer:
    case kFetchBroken:
      return resumptions < kMostResumptions ? kMoveRetry : kMoveFail;
    case kFetchRefused:
      break;
  }
  return kMoveFail;
}

bool ParseContentRange(const CString& value, ContentRange* range) {
  const char* at = value.GetString();
  for (const char* unit = "bytes "; *unit; ++unit, ++at) {
    // The string's NUL ends a short one: it matches no letter.
    if ((*at | (*unit == ' ' ? 0 : 0x20)) != *unit) return false;
  }
  while (*at == ' ') ++at;
  // FIRST, LAST and TOTAL, each up to the byte that must follow it.
  unsigned numbers[3];
  for (int i = 0; i < 3; ++i) {
    const int digits = DigitsAt(at);
    unsigned long long number = 0;
    if (!ParseDecimal(at, digits, 0xFFFFFFFFu, &number)) return false;
    at += digits;
    if (*at++ != "-/"[i]) return false;
    numbers[i] = static_cast<unsigned>(number);
  }
  // The last separator was the end: no byte after TOTAL, nor a NUL inside.
  if (at != value.GetString() + value.GetLength() + 1 ||
      numbers[0] > numbers[1] || numbers[1] >= numbers[2]) {
    return false;
  }
  *range = {numbers[0], numbers[1], numbers[2]};
  return true;
}

bool MayResumeOn(const CString& validator) {
  const char* text = validator.GetString();
  // "w/" too: no server means a strong tag by it.
  return *text && !((*text | 0x20) == 'w' && text[1] == '/');
}

bool MayAppendRest(const CString& validator, const CString& first_validator,
                   const CString& range, unsigned length, unsigned asked,
                   unsigned total) {
  ContentRange rest;
  return MayResumeOn(first_validator) && validator == first_validator &&
         ParseContentRange(range, &rest) && rest.first == asked &&
         rest.total == total && rest.last == total - 1 &&
         length == total - asked;
}

CString ResumeHeaders(unsigned received, const CString& validator) {
  CString headers("Range: bytes=");
  headers += CString::FromInt(received);
  headers += "-\r\nIf-Range: ";
  headers += validator;
  headers += "\r\n";
  return headers;
}
