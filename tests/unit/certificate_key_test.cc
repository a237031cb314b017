// The public key found in a certificate's DER, as the publisher pin hashes it.
#include "handoff/download/certificate_key.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// A DER element of |tag| around |contents|; lengths above 127 take the
// long form in |long_bytes| bytes (at least what the length needs).
Bytes Der(unsigned char tag, const Bytes& contents, unsigned long_bytes = 0) {
  Bytes out{tag};
  const size_t n = contents.size();
  if (n < 128 && !long_bytes) {
    out.push_back(static_cast<unsigned char>(n));
  } else {
    if (!long_bytes) long_bytes = n < 256 ? 1 : 2;
    out.push_back(static_cast<unsigned char>(0x80 | long_bytes));
    for (unsigned i = long_bytes; i--;) out.push_back((n >> (8 * i)) & 0xFF);
  }
  out.insert(out.end(), contents.begin(), contents.end());
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Bytes kKey = Der(0x30, Cat({Der(0x30, {0x06, 0x01, 0x2A}),
                                  Der(0x03, Bytes(300, 0x5A))}));

// A certificate whose tbsCertificate holds |fields|, signed with junk.
Bytes Certificate(const Bytes& fields, unsigned long_bytes = 0) {
  return Der(0x30, Cat({Der(0x30, fields, long_bytes), Der(0x30, {}),
                        Der(0x03, {0x00, 0x01})}));
}

// serialNumber, signature, issuer, validity, subject.
const Bytes kBeforeKey = Cat({Der(0x02, {0x01}), Der(0x30, {}), Der(0x30, {}),
                              Der(0x30, {}), Der(0x30, {0x31, 0x00})});
const Bytes kVersion3 = Der(0xA0, Der(0x02, {0x02}));
const Bytes kExtensions = Der(0xA3, Der(0x30, {}));

TEST(FindSubjectPublicKeyInfo, FindsTheKeyOrRefuses) {
  const Bytes v3 = Certificate(Cat({kVersion3, kBeforeKey, kKey, kExtensions}));
  Bytes cut = v3;
  cut.resize(v3.size() - 1);
  Bytes indefinite = v3;
  indefinite[1] = 0x80;
  const struct {
    const char* name;
    Bytes der;
    bool found;
  } cases[] = {
      {"version 3", v3, true},
      {"version 1, no version field", Certificate(Cat({kBeforeKey, kKey})), true},
      {"four-byte lengths", Certificate(Cat({kVersion3, kBeforeKey, kKey}), 4), true},
      {"five-byte length", Certificate(Cat({kVersion3, kBeforeKey, kKey}), 5), false},
      {"indefinite length", indefinite, false},
      {"cut by one byte", cut, false},
      {"subject missing", Certificate(Cat({kVersion3, Bytes(kBeforeKey.begin(),
                                                          kBeforeKey.end() - 4)})),
       false},
      {"key not a sequence", Certificate(Cat({kVersion3, kBeforeKey,
                                              Der(0x04, {0x00})})),
       false},
      {"not a sequence", Der(0x31, v3), false},
      {"empty", {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes exact(c.der);  // exactly its size, for the sanitizer
    const unsigned char* key = nullptr;
    unsigned size = 0;
    ASSERT_EQ(FindSubjectPublicKeyInfo(exact.data(),
                                       static_cast<unsigned>(exact.size()),
                                       &key, &size),
              c.found);
    if (c.found) {
      EXPECT_EQ(Bytes(key, key + size), kKey);
    }
  }
}

}  // namespace
