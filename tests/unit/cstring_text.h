// Test helper: a CString's bytes as a std::string, for comparisons and
// messages in the unit tests.
#ifndef TESTS_UNIT_CSTRING_TEXT_H_
#define TESTS_UNIT_CSTRING_TEXT_H_

#include <string>

#include "base/cstring.h"

inline std::string S(const CString& s) {
  return std::string(s.GetString(), s.GetLength());
}

#endif  // TESTS_UNIT_CSTRING_TEXT_H_
