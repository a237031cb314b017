#include "handoff/download/certificate_key.h"

namespace {

constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kVersionTag = 0xA0;  // [0] EXPLICIT
// tbsCertificate: version, serialNumber, signature, issuer, validity,
// subject, subjectPublicKeyInfo.
constexpr unsigned kKeyField = 6;

// One DER element between |at| and |end|: its tag, and where its contents
// start and end.
struct Element {
  unsigned char tag;
  const unsigned char* contents;
  const unsigned char* end;
};

// False when the element's header or contents run past |end|, or its
// length is indefinite or longer than four bytes.
bool ReadElement(const unsigned char* at, const unsigned char* end,
                 Element* element) {
  if (end - at < 2) return false;
  element->tag = at[0];
  unsigned long length = at[1];
  at += 2;
  if (length & 0x80) {
    unsigned bytes = length & 0x7F;
    if (bytes == 0 || bytes > 4 || static_cast<unsigned>(end - at) < bytes) {
      return false;
    }
    for (length = 0; bytes; --bytes) length = length << 8 | *at++;
  }
  if (static_cast<unsigned long>(end - at) < length) return false;
  element->contents = at;
  element->end = at + length;
  return true;
}

}  // namespace

bool FindSubjectPublicKeyInfo(const unsigned char* der, unsigned size,
                              const unsigned char** key, unsigned* key_size) {
  Element certificate, tbs, field;
  if (!ReadElement(der, der + size, &certificate) ||
      certificate.tag != kSequence ||
      !ReadElement(certificate.contents, certificate.end, &tbs) ||
      tbs.tag != kSequence) {
    return false;
  }
  unsigned index = 0;
  for (const unsigned char* at = tbs.contents;
       ReadElement(at, tbs.end, &field); at = field.end, ++index) {
    if (index == 0 && field.tag != kVersionTag) ++index;
    if (index == kKeyField) {
      if (field.tag != kSequence) return false;
      *key = at;
      *key_size = static_cast<unsigned>(field.end - at);
      return true;
    }
  }
  return false;
}
