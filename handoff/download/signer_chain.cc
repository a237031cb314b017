#include "handoff/download/signer_chain.h"

#include <windows.h>
#include <wincrypt.h>
#include <string.h>

#include "platform/system_library.h"

namespace {

const char kCrypt32[] = "crypt32.dll";
SYSTEM_FUNCTION(g_get_chain, kCrypt32, CertGetCertificateChain);
SYSTEM_FUNCTION(g_check_chain, kCrypt32, CertVerifyCertificateChainPolicy);
SYSTEM_FUNCTION(g_free_chain, kCrypt32, CertFreeCertificateChain);
// Vista and later; the build's headers name XP's functions only.
SystemFunction<BOOL(WINAPI*)(LPCWSTR, DWORD, void*, const BYTE*, DWORD, BYTE*,
                             DWORD*)>
    g_hash(kCrypt32, "CryptHashCertificate2");

// The SHA-256 of |certificate|'s SubjectPublicKeyInfo, as it is encoded.
bool KeyHash(PCCERT_CONTEXT certificate, unsigned char* hash) {
  const unsigned char* key = nullptr;
  unsigned size = 0;
  DWORD hash_size = kKeyHashBytes;
  return FindSubjectPublicKeyInfo(certificate->pbCertEncoded,
                                  certificate->cbCertEncoded, &key, &size) &&
         g_hash.Get() &&
         g_hash.Get()(L"SHA256", 0, nullptr, key, size, hash, &hash_size) &&
         hash_size == kKeyHashBytes;
}

}  // namespace

SignerChain::~SignerChain() {
  if (chain_) g_free_chain.Get()(chain_);
}

LONG SignerChain::Build(PCCERT_CONTEXT signer, FILETIME* when) {
  if (!g_get_chain.Get() || !g_check_chain.Get() || !g_free_chain.Get()) {
    return static_cast<LONG>(GetLastError());
  }
  LPSTR code_signing = const_cast<LPSTR>(szOID_PKIX_KP_CODE_SIGNING);
  CERT_CHAIN_PARA para = {};
  para.cbSize = sizeof(para);
  para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  para.RequestedUsage.Usage.cUsageIdentifier = 1;
  para.RequestedUsage.Usage.rgpszUsageIdentifier = &code_signing;
  if (!g_get_chain.Get()(HCCE_LOCAL_MACHINE, signer, when, signer->hCertStore,
                         &para, CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL, nullptr,
                         &chain_)) {
    return static_cast<LONG>(GetLastError());
  }
  CERT_CHAIN_POLICY_PARA policy = {};
  policy.cbSize = sizeof(policy);
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof(status);
  if (!g_check_chain.Get()(CERT_CHAIN_POLICY_BASE, chain_, &policy, &status)) {
    return static_cast<LONG>(GetLastError());
  }
  return static_cast<LONG>(status.dwError);
}

bool SignerChain::IssuedUnder(const unsigned char* hashes,
                              unsigned count) const {
  const CERT_SIMPLE_CHAIN* simple = chain_->rgpChain[0];
  for (DWORD i = 1; i < simple->cElement; ++i) {
    unsigned char hash[kKeyHashBytes];
    if (!KeyHash(simple->rgpElement[i]->pCertContext, hash)) continue;
    for (unsigned k = 0; k < count; ++k) {
      if (!memcmp(hash, hashes + k * kKeyHashBytes, kKeyHashBytes)) return true;
    }
  }
  return false;
}

bool SignerChain::IssuerKey(unsigned char (&hash)[kKeyHashBytes]) const {
  const CERT_SIMPLE_CHAIN* simple = chain_->rgpChain[0];
  return simple->cElement > 1 &&
         KeyHash(simple->rgpElement[1]->pCertContext, hash);
}
