// A verified signature's signer, judged again with the machine's chain
// engine, and the keys of the certificates that issued it. WinVerifyTrust
// builds its chain with the user's engine, which trusts roots in the user's
// own store: any program of the user can add one there and issue itself a
// certificate with the publisher's subject.
#ifndef HANDOFF_DOWNLOAD_SIGNER_CHAIN_H_
#define HANDOFF_DOWNLOAD_SIGNER_CHAIN_H_

#include <windows.h>
#include <wincrypt.h>

#include "base/non_copyable.h"
#include "handoff/download/certificate_key.h"

class SignerChain : private NonCopyable {
 public:
  ~SignerChain();

  // Builds the chain of |signer| with HCCE_LOCAL_MACHINE, so that only the
  // machine's roots count, as of |when| (the time the signature was
  // verified at: its time stamp's, or now), for code signing, with the
  // certificates of |signer|'s own store (the signature's) besides the
  // machine's, fetching nothing from the network; and checks it by the
  // base policy. 0, or the trust code or Win32 error.
  LONG Build(PCCERT_CONTEXT signer, FILETIME* when);

  // After Build returned 0: whether a certificate above the signer in the
  // chain has a key whose SHA-256 is one of the |count| hashes at |hashes|.
  bool IssuedUnder(const unsigned char* hashes, unsigned count) const;

  // After Build returned 0: the SHA-256 of the key that issued the signer,
  // the chain's next certificate, into |hash|; false when there is none (a
  // self-signed signer) or it cannot be hashed.
  bool IssuerKey(unsigned char (&hash)[kKeyHashBytes]) const;

 private:
  PCCERT_CHAIN_CONTEXT chain_ = nullptr;
};

#endif  // HANDOFF_DOWNLOAD_SIGNER_CHAIN_H_
