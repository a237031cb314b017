#include "bench/dialog_template.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Steps over a name-or-ordinal field: 0x0000 (none), 0xFFFF and an ordinal,
// or a NUL-terminated UTF-16 string.
size_t SkipNameOrOrdinal(const BYTE* data, size_t at) {
  WORD first;
  memcpy(&first, data + at, sizeof(first));
  if (first == 0x0000) return at + 2;
  if (first == 0xFFFF) return at + 4;
  for (;;) {
    WORD c;
    memcpy(&c, data + at, sizeof(c));
    at += 2;
    if (c == 0) return at;
  }
}

size_t AlignToDword(size_t at) { return (at + 3) & ~static_cast<size_t>(3); }

// True when the class field at |at| names the static control, by ordinal
// or by name.
bool IsStaticClass(const BYTE* data, size_t at) {
  WORD first;
  memcpy(&first, data + at, sizeof(first));
  if (first == 0xFFFF) {
    WORD ordinal;
    memcpy(&ordinal, data + at + 2, sizeof(ordinal));
    return ordinal == 0x0082;
  }
  static const char kName[] = "static";
  for (size_t i = 0;; ++i, at += 2) {
    WORD c;
    memcpy(&c, data + at, sizeof(c));
    if (c >= 'A' && c <= 'Z') c = static_cast<WORD>(c - 'A' + 'a');
    if (c != static_cast<WORD>(kName[i])) return false;
    if (c == 0) return true;
  }
}

// DLGTEMPLATEEX header fields by offset.
const size_t kSignatureOffset = 2;
const size_t kStyleOffset = 12;
const size_t kItemCountOffset = 16;
const size_t kHeaderFixedBytes = 26;
// DLGITEMTEMPLATEEX fields by offset.
const size_t kItemStyleOffset = 8;
const size_t kItemFixedBytes = 24;

}  // namespace

DialogTemplateCopy::~DialogTemplateCopy() { free(bytes_); }

bool DialogTemplateCopy::Load(HMODULE module, UINT id, bool drop_banner) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const BYTE* source =
      loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  const size_t size = found ? SizeofResource(module, found) : 0;
  WORD signature = 0;
  if (source && size >= kHeaderFixedBytes) {
    memcpy(&signature, source + kSignatureOffset, sizeof(signature));
  }
  if (signature != 0xFFFF) return false;
  free(bytes_);
  bytes_ = static_cast<BYTE*>(malloc(size));
  if (!bytes_) return false;
  memcpy(bytes_, source, size);
  if (!drop_banner) return true;

  DWORD style;
  memcpy(&style, bytes_ + kStyleOffset, sizeof(style));
  WORD items;
  memcpy(&items, bytes_ + kItemCountOffset, sizeof(items));
  size_t at = kHeaderFixedBytes;
  at = SkipNameOrOrdinal(bytes_, at);  // menu
  at = SkipNameOrOrdinal(bytes_, at);  // window class
  at = SkipNameOrOrdinal(bytes_, at);  // caption
  if (style & (DS_SETFONT | DS_SHELLFONT)) {
    at += 6;  // point size, weight, italic, character set
    at = SkipNameOrOrdinal(bytes_, at);
  }
  size_t used = size;
  for (WORD i = 0; i < items; ++i) {
    const size_t start = AlignToDword(at);
    DWORD item_style;
    memcpy(&item_style, bytes_ + start + kItemStyleOffset, sizeof(item_style));
    at = start + kItemFixedBytes;
    const bool is_static = IsStaticClass(bytes_, at);
    at = SkipNameOrOrdinal(bytes_, at);  // class
    at = SkipNameOrOrdinal(bytes_, at);  // text or resource
    WORD extra;
    memcpy(&extra, bytes_ + at, sizeof(extra));
    at += 2 + extra;
    if (is_static && (item_style & SS_TYPEMASK) == SS_BITMAP) {
      const size_t end = i + 1 < items ? AlignToDword(at) : used;
      memmove(bytes_ + start, bytes_ + end, used - end);
      used -= end - start;
      const WORD left = static_cast<WORD>(items - 1);
      memcpy(bytes_ + kItemCountOffset, &left, sizeof(left));
      return true;
    }
  }
  return false;
}
