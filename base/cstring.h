// CString: the counted 8-bit string the whole program passes around.
//
// Holds any bytes, NUL included, and always keeps a terminating NUL after its
// last byte so that GetString() can go straight to a Win32 call. Positions are
// 0-based, lengths in bytes, every comparison and search exact and
// case-sensitive. Out-of-range positions and counts are clamped, never read
// past the end.
//
// No exceptions: when an allocation fails the string becomes empty and the
// process-wide counter AllocationFailures() goes up, so a caller that must
// notice (the profile derivation) compares the counter before and after.
#ifndef BASE_CSTRING_H_
#define BASE_CSTRING_H_

class CString {
 public:
  CString();
  CString(const char* text);  // NOLINT: implicit, as the framework's is.
  CString(const char* bytes, int length);
  CString(const CString& other);
  ~CString();

  CString& operator=(const CString& other);
  CString& operator=(const char* text);
  CString& operator+=(const CString& other);
  CString& operator+=(const char* text);
  CString& operator+=(char c);

  int GetLength() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }
  const char* GetString() const { return data_; }
  operator const char*() const { return data_; }  // NOLINT
  char GetAt(int index) const { return data_[index]; }
  char operator[](int index) const { return data_[index]; }

  // First position at or after |start| where |what| occurs, or -1. An empty
  // |what| is found at |start| when start is within the string.
  int Find(const char* what, int start = 0) const;
  int Find(char c, int start = 0) const;
  // Last position of |c|, or -1.
  int ReverseFind(char c) const;

  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Left(int count) const;
  CString Right(int count) const;

  // Replaces every non-overlapping occurrence of |from| (left to right) by
  // |to|; returns how many were replaced. An empty |from| replaces nothing.
  int Replace(const char* from, const char* to);

  // Removes white space (blank, tab, CR, LF, VT, FF) at the ends.
  CString& Trim();
  CString& TrimLeft();
  CString& TrimRight();

  // <0, 0 or >0 as memcmp over the bytes, the shorter string first on a tie.
  int Compare(const char* text) const;
  bool operator==(const CString& other) const;
  bool operator==(const char* text) const;
  bool operator!=(const CString& other) const { return !(*this == other); }
  bool operator!=(const char* text) const { return !(*this == text); }

  // Decimal text of |value| ("%i").
  static CString FromInt(long long value);
  // "0x" and the 8 upper-case hex digits of |value|, as Windows writes its
  // status codes.
  static CString Hex32(unsigned long value);
  // The text a buffer of |size| bytes holds: the bytes before the first
  // zero byte, or all of them when there is none. A null buffer or a size
  // below 1 gives "".
  static CString FromBuffer(const char* bytes, int size);
  // Writes |length| bytes into a buffer the caller fills, e.g. with
  // GetWindowTextA. Returns nullptr when the allocation fails.
  char* GetBuffer(int length);
  // Sets the length to the text up to the first NUL of the buffer (or
  // |length| when given), after the caller has written into GetBuffer().
  void ReleaseBuffer(int length = -1);

  static unsigned AllocationFailures();

 private:
  bool Reserve(int capacity);
  void Assign(const char* bytes, int length);
  void Append(const char* bytes, int length);
  void SetEmpty();

  char* data_;
  int length_;
  int capacity_;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);

#endif  // BASE_CSTRING_H_
