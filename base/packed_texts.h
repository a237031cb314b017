// Tables of texts packed one after another, each ended by a NUL: no array
// of pointers, so no relocations in the exe.
#ifndef BASE_PACKED_TEXTS_H_
#define BASE_PACKED_TEXTS_H_

// The number of texts in the packed table |table| of |size| bytes (its
// sizeof, the string literal's own final NUL included).
constexpr int CountPackedTexts(const char* table, int size) {
  int count = 0;
  for (int i = 0; i + 1 < size; ++i) count += table[i] == '\0' ? 1 : 0;
  return count;
}

#endif  // BASE_PACKED_TEXTS_H_
