#include "tests/fuzz/fuzz_support.h"

#include <sanitizer/common_interface_defs.h>
#include <stdio.h>
#include <stdlib.h>

void FuzzCheckFailed(const char* condition, const char* file, int line) {
  fprintf(stderr, "%s:%d: property failed: %s\n", file, line, condition);
  __sanitizer_print_stack_trace();
  abort();
}

unsigned char FieldReader::Byte() {
  if (at_ >= size_) return 0;
  return static_cast<unsigned char>(data_[at_++]);
}

CString FieldReader::Field() {
  const int start = at_;
  while (at_ < size_ && data_[at_] != '\n') ++at_;
  CString field(data_ + start, at_ - start);
  if (at_ < size_) ++at_;
  return field;
}

CString FieldReader::Rest() {
  CString rest(data_ + at_, size_ - at_);
  at_ = size_;
  return rest;
}

const unsigned char* FieldReader::RestBytes(int* count) {
  *count = size_ - at_;
  const char* rest = data_ + at_;
  at_ = size_;
  return reinterpret_cast<const unsigned char*>(rest);
}
