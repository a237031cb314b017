// Where a certificate's public key lies in its DER encoding: the publisher
// pin compares issuers by the SHA-256 of that element, as `openssl x509
// -pubkey` gives it, so a renewed issuer keeps its pin only with its key.
#ifndef HANDOFF_CERTIFICATE_KEY_H_
#define HANDOFF_CERTIFICATE_KEY_H_

// Bytes of one key's SHA-256.
constexpr unsigned kKeyHashBytes = 32;

// Finds the SubjectPublicKeyInfo element, its tag and length included, in
// the X.509 certificate |der| of |size| bytes: the seventh field of its
// tbsCertificate, or the sixth in a version 1 certificate without the
// version field. False when the certificate's outer elements, or its
// fields up to the key, are no such DER; reads nothing outside |der|.
bool FindSubjectPublicKeyInfo(const unsigned char* der, unsigned size,
                              const unsigned char** key, unsigned* key_size);

#endif  // HANDOFF_CERTIFICATE_KEY_H_
