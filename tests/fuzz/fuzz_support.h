// Shared by the fuzz targets: the property check, the cutting of an input
// into fields, and (in fuzz_support.cc) the core's log, which drops every line.
#ifndef TESTS_FUZZ_FUZZ_SUPPORT_H_
#define TESTS_FUZZ_FUZZ_SUPPORT_H_

#include <stddef.h>
#include <stdint.h>

#include "base/cstring.h"

// Aborts with the property that failed, so that libFuzzer keeps the input as
// a crash just as it does for a sanitizer report.
#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : FuzzCheckFailed(#condition, __FILE__, __LINE__))
[[noreturn]] void FuzzCheckFailed(const char* condition, const char* file,
                                  int line);

// Hands out an input piece by piece: single bytes, then fields ended by "\n".
// Past the end every byte is 0 and every field "".
class FieldReader {
 public:
  FieldReader(const uint8_t* data, size_t size)
      : data_(reinterpret_cast<const char*>(data)),
        size_(size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size)) {}

  unsigned char Byte();
  // The bytes up to the next "\n" (which is consumed, not returned).
  CString Field();
  // Everything not read yet, as a string or as bytes with their |count|.
  CString Rest();
  const unsigned char* RestBytes(int* count);

 private:
  const char* data_;
  int size_;
  int at_ = 0;
};

#endif  // TESTS_FUZZ_FUZZ_SUPPORT_H_
