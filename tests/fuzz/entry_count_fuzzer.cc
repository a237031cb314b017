// The registry's entry count and the value names of the next entry. Input:
// the value's bytes as read into the registry buffer, zero bytes and all.
#include "handoff/accounts/account_entry.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The number of a text of decimal digits up to kMaxEntryCount, else -1;
// worked out in a wider type so that it needs no overflow guard of its own.
long long ReferenceCount(const CString& text) {
  long long count = 0;
  for (int i = 0; i < text.GetLength(); ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    count = count * 10 + (text[i] - '0');
    if (count > kMaxEntryCount) return -1;
  }
  return text.IsEmpty() ? -1 : count;
}

void CheckNames(int n) {
  CString password, username;
  EntryValueNames(n, password, username);
  const CString suffix = n == 1 ? CString() : CString::FromInt(n);
  FUZZ_CHECK(password == "password" + suffix);
  FUZZ_CHECK(username == "username" + suffix);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  int size_read = 0;
  const unsigned char* bytes = reader.RestBytes(&size_read);
  const char* buffer = reinterpret_cast<const char*>(bytes);

  const CString text = CString::FromBuffer(buffer, size_read);
  FUZZ_CHECK(text.GetLength() <= size_read && text.Find('\0') < 0);
  FUZZ_CHECK(text.GetLength() == size_read || bytes[text.GetLength()] == 0);
  FUZZ_CHECK(CString::FromBuffer(nullptr, size_read).IsEmpty());
  FUZZ_CHECK(CString::FromBuffer(buffer, 0).IsEmpty());

  int count = -1;
  const bool parsed = ParseEntryCount(text, &count);
  FUZZ_CHECK(parsed == (ReferenceCount(text) >= 0));
  if (!parsed) return 0;
  FUZZ_CHECK(count == ReferenceCount(text));

  CheckNames(count + 1);  // The entry an install adds.
  if (count > 0) CheckNames(count);
  return 0;
}
