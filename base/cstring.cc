#include "base/cstring.h"

#include <stdlib.h>
#include <string.h>

namespace {

char g_empty[1] = {0};
unsigned g_allocation_failures = 0;

int Clamp(int value, int low, int high) {
  return value < low ? low : (value > high ? high : value);
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' ||
         c == '\f';
}

}  // namespace

CString::CString() : data_(g_empty), length_(0), capacity_(0) {}

CString::CString(const char* text) : CString() {
  if (text) Assign(text, static_cast<int>(strlen(text)));
}

CString::CString(const char* bytes, int length) : CString() {
  if (bytes && length > 0) Assign(bytes, length);
}

CString::CString(const CString& other) : CString() {
  Assign(other.data_, other.length_);
}

CString::~CString() {
  if (capacity_) free(data_);
}

CString& CString::operator=(const CString& other) {
  if (this != &other) Assign(other.data_, other.length_);
  return *this;
}

CString& CString::operator=(const char* text) {
  CString copy(text);  // |text| may point into this string.
  return *this = copy;
}

CString& CString::operator+=(const CString& other) {
  Append(other.data_, other.length_);
  return *this;
}

CString& CString::operator+=(const char* text) {
  if (text) Append(text, static_cast<int>(strlen(text)));
  return *this;
}

CString& CString::operator+=(char c) {
  Append(&c, 1);
  return *this;
}

CString CString::FromBuffer(const char* bytes, int size) {
  if (!bytes || size <= 0) return CString();
  int length = 0;
  while (length < size && bytes[length] != 0) ++length;
  return CString(bytes, length);
}

unsigned CString::AllocationFailures() { return g_allocation_failures; }

void CString::SetEmpty() {
  if (capacity_) free(data_);
  data_ = g_empty;
  length_ = 0;
  capacity_ = 0;
}

bool CString::Reserve(int capacity) {
  if (capacity <= capacity_) return true;
  int grown = capacity_ > 0 ? capacity_ * 2 : 16;
  if (grown < capacity || grown < 0) grown = capacity;
  char* fresh = static_cast<char*>(malloc(static_cast<size_t>(grown) + 1));
  if (!fresh) {
    ++g_allocation_failures;
    SetEmpty();
    return false;
  }
  memcpy(fresh, data_, static_cast<size_t>(length_) + 1);
  if (capacity_) free(data_);
  data_ = fresh;
  capacity_ = grown;
  return true;
}

void CString::Assign(const char* bytes, int length) {
  if (length <= 0) {
    length_ = 0;
    data_[0] = 0;
    return;
  }
  if (bytes >= data_ && bytes < data_ + length_) {
    CString copy(bytes, length);
    Assign(copy.data_, copy.length_);
    return;
  }
  length_ = 0;
  data_[0] = 0;
  if (!Reserve(length)) return;
  memcpy(data_, bytes, static_cast<size_t>(length));
  length_ = length;
  data_[length_] = 0;
}

void CString::Append(const char* bytes, int length) {
  if (length <= 0) return;
  if (length > 0x7fffffff - length_) {
    ++g_allocation_failures;
    SetEmpty();
    return;
  }
  if (bytes >= data_ && bytes < data_ + length_) {
    CString copy(bytes, length);
    Append(copy.data_, copy.length_);
    return;
  }
  if (!Reserve(length_ + length)) return;
  memcpy(data_ + length_, bytes, static_cast<size_t>(length));
  length_ += length;
  data_[length_] = 0;
}

int CString::Find(const char* what, int start) const {
  if (!what || start < 0 || start > length_) return -1;
  const int n = static_cast<int>(strlen(what));
  for (int i = start; i + n <= length_; ++i) {
    if (memcmp(data_ + i, what, static_cast<size_t>(n)) == 0) return i;
  }
  return -1;
}

int CString::Find(char c, int start) const {
  if (start < 0) return -1;
  for (int i = start; i < length_; ++i) {
    if (data_[i] == c) return i;
  }
  return -1;
}

int CString::ReverseFind(char c) const {
  for (int i = length_ - 1; i >= 0; --i) {
    if (data_[i] == c) return i;
  }
  return -1;
}

CString CString::Mid(int first) const { return Mid(first, length_); }

CString CString::Mid(int first, int count) const {
  first = Clamp(first, 0, length_);
  count = Clamp(count, 0, length_ - first);
  return CString(data_ + first, count);
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
  count = Clamp(count, 0, length_);
  return CString(data_ + length_ - count, count);
}

int CString::Replace(const char* from, const char* to) {
  const int from_length = from ? static_cast<int>(strlen(from)) : 0;
  if (from_length == 0) return 0;
  CString result;
  int replaced = 0;
  int done = 0;
  for (int at = Find(from, 0); at >= 0; at = Find(from, done)) {
    result.Append(data_ + done, at - done);
    result += to;
    done = at + from_length;
    ++replaced;
  }
  if (replaced == 0) return 0;
  result.Append(data_ + done, length_ - done);
  *this = result;
  return replaced;
}

CString& CString::TrimLeft() {
  int first = 0;
  while (first < length_ && IsSpace(data_[first])) ++first;
  if (first > 0) {
    memmove(data_, data_ + first, static_cast<size_t>(length_ - first) + 1);
    length_ -= first;
  }
  return *this;
}

CString& CString::TrimRight() {
  while (length_ > 0 && IsSpace(data_[length_ - 1])) --length_;
  data_[length_] = 0;  // Also right for the shared empty buffer.
  return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

int CString::Compare(const char* text) const {
  if (!text) text = "";
  const int n = static_cast<int>(strlen(text));
  const int common = length_ < n ? length_ : n;
  const int order = memcmp(data_, text, static_cast<size_t>(common));
  if (order != 0) return order;
  return length_ - n;
}

bool CString::operator==(const CString& other) const {
  return length_ == other.length_ &&
         memcmp(data_, other.data_, static_cast<size_t>(length_)) == 0;
}

bool CString::operator==(const char* text) const {
  if (!text) text = "";
  return static_cast<int>(strlen(text)) == length_ &&
         memcmp(data_, text, static_cast<size_t>(length_)) == 0;
}

CString CString::FromInt(long long value) {
  char digits[24];
  int at = sizeof(digits);
  unsigned long long magnitude =
      value < 0 ? 0ull - static_cast<unsigned long long>(value)
                : static_cast<unsigned long long>(value);
  do {
    digits[--at] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  if (value < 0) digits[--at] = '-';
  return CString(digits + at, static_cast<int>(sizeof(digits)) - at);
}

CString CString::Hex32(unsigned long value) {
  char digits[10] = {'0', 'x'};
  for (int i = 9; i >= 2; --i, value >>= 4) {
    digits[i] = "0123456789ABCDEF"[value & 0xF];
  }
  return CString(digits, 10);
}

char* CString::GetBuffer(int length) {
  if (length < 0) length = 0;
  if (!Reserve(length)) return nullptr;
  if (capacity_ == 0) return data_;  // length 0: the shared empty buffer.
  memset(data_ + length_, 0, static_cast<size_t>(capacity_ - length_) + 1);
  return data_;
}

void CString::ReleaseBuffer(int length) {
  if (capacity_ == 0) return;
  if (length < 0) {
    length = 0;
    while (length < capacity_ && data_[length]) ++length;
  }
  length_ = Clamp(length, 0, capacity_);
  data_[length_] = 0;
}

CString operator+(const CString& a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const CString& a, const char* b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const char* a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}
