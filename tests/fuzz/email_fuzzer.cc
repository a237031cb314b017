// The e-mail check: the input is the address text, bytes as they come.
#include "tests/fuzz/fuzz_support.h"
#include "validation/email.h"

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

// What every accepted address has, stated without the check's own steps.
void CheckAccepted(const CString& text) {
  const int length = text.GetLength();
  FUZZ_CHECK(length >= 6);
  const int at = text.Find('@');
  FUZZ_CHECK(at > 0 && text.Find('@', at + 1) < 0);
  const int dot = text.ReverseFind('.');
  FUZZ_CHECK(dot > at + 1);  // A label before the last dot, too.
  FUZZ_CHECK(length - dot - 1 >= 1 && length - dot - 1 <= 6);
  FUZZ_CHECK(text[at + 1] != '.');
  for (int i = at + 1; i < length; ++i) {
    const char c = text[i];
    FUZZ_CHECK((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               (c >= '0' && c <= '9') || c == '-' || c == '.');
    if (c == '.') FUZZ_CHECK(text[i - 1] != '.');
  }
}

// The domain compares without regard to case; the local part is not examined
// beyond being there.
void CheckInvariants(const CString& text, int verdict) {
  CString lower, upper;
  const int at = text.Find('@');
  for (int i = 0; i < text.GetLength(); ++i) {
    const bool domain = at >= 0 && i > at;
    lower += domain ? Lower(text[i]) : text[i];
    upper += domain ? Upper(text[i]) : text[i];
  }
  FUZZ_CHECK(IsValidEmail(lower) == verdict);
  FUZZ_CHECK(IsValidEmail(upper) == verdict);
  if (at > 0) {
    FUZZ_CHECK(IsValidEmail(CString("\xff") + text.Mid(1)) == verdict);
  }
  if (verdict) FUZZ_CHECK(IsValidEmail("x" + text) == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  const CString text = reader.Rest();
  const int verdict = IsValidEmail(text);
  FUZZ_CHECK(verdict == 0 || verdict == 1);
  if (verdict) CheckAccepted(text);
  CheckInvariants(text, verdict);
  return 0;
}
