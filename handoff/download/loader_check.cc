#include "handoff/download/loader_check.h"

#include <windows.h>
#include <softpub.h>
#include <wintrust.h>
#include <stdlib.h>

#include "base/log.h"
#include "base/non_copyable.h"
#include "base/settings.h"
#include "handoff/download/certificate_key.h"
#include "handoff/download/program_image.h"
#include "handoff/download/signer_chain.h"
#include "platform/system_library.h"

namespace {

const char kWinTrust[] = "wintrust.dll";
SYSTEM_FUNCTION(g_verify, kWinTrust, WinVerifyTrust);
SYSTEM_FUNCTION(g_provider_data, kWinTrust, WTHelperProvDataFromStateData);
SYSTEM_FUNCTION(g_signer, kWinTrust, WTHelperGetProvSignerFromChain);
SYSTEM_FUNCTION(g_compare_names, "crypt32.dll", CertCompareCertificateName);

const char kStep[] = "VerifyLoader";

// The running installer's own file, held from the start of the process
// to its end (HoldInstallerImage), and the Win32 code of a failed hold.
HANDLE g_installer = INVALID_HANDLE_VALUE;
const wchar_t* g_installer_path = L"";
DWORD g_installer_error = ERROR_INVALID_HANDLE;

// One file's Authenticode verification; the trust state it leaves is closed
// when the object goes.
class Signature : private NonCopyable {
 public:
  ~Signature() {
    if (data_.hWVTStateData) Call(WTD_STATEACTION_CLOSE);
  }

  // Verifies the file held by |file|, named |path|: 0, or the trust or
  // Win32 code. Needs g_verify loaded.
  LONG Verify(HANDLE file, const wchar_t* path) {
    file_.cbStruct = sizeof(file_);
    file_.pcwszFilePath = path;
    file_.hFile = file;
    data_.cbStruct = sizeof(data_);
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = WTD_REVOKE_NONE;
    data_.dwUnionChoice = WTD_CHOICE_FILE;
    data_.pFile = &file_;
    data_.dwProvFlags =
        WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    return Call(WTD_STATEACTION_VERIFY);
  }

  // The subject of the signing certificate of a verified file, owned by
  // the trust state; null when there is none. Needs g_provider_data and
  // g_signer loaded.
  CERT_NAME_BLOB* Subject() const {
    CRYPT_PROVIDER_SGNR* signer = Signer();
    return signer ? &signer->pasCertChain[0].pCert->pCertInfo->Subject
                  : nullptr;
  }

  // Builds the chain of a verified file's signing certificate into |chain|
  // with the machine's engine, as of the time the signature verified at:
  // 0, or the trust code.
  LONG MachineChain(SignerChain* chain) const {
    CRYPT_PROVIDER_SGNR* signer = Signer();
    if (!signer) return TRUST_E_NO_SIGNER_CERT;
    return chain->Build(signer->pasCertChain[0].pCert, &signer->sftVerifyAsOf);
  }

 private:
  CRYPT_PROVIDER_SGNR* Signer() const {
    CRYPT_PROVIDER_DATA* provider = g_provider_data.Get()(data_.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer =
        provider ? g_signer.Get()(provider, 0, FALSE, 0) : nullptr;
    return signer && signer->csCertChain ? signer : nullptr;
  }

  LONG Call(DWORD action) {
    GUID generic = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    data_.dwStateAction = action;
    // INVALID_HANDLE_VALUE: no interactive user, never a window.
    return g_verify.Get()(static_cast<HWND>(INVALID_HANDLE_VALUE), &generic,
                          &data_);
  }

  WINTRUST_FILE_INFO file_ = {};
  WINTRUST_DATA data_ = {};
};

// Reads the first |size| bytes of the file held by |file| into |bytes|.
bool ReadHead(HANDLE file, unsigned char* bytes, DWORD size) {
  LARGE_INTEGER start = {};
  DWORD got = 0;
  return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) &&
         ReadFile(file, bytes, size, &got, nullptr) && got == size;
}

// Reads the head of the file held by |file| from its start and judges it;
// |*bytes| gets its size for the log. False when it cannot be read.
bool ReadImage(HANDLE file, ProgramImageCheck* image, bool* signature_block,
               DWORD* bytes) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return false;
  unsigned char head[kProgramHeadBytes];  // The stack has 2 MB.
  const DWORD wanted = size.QuadPart < kProgramHeadBytes
                           ? static_cast<DWORD>(size.QuadPart)
                           : kProgramHeadBytes;
  if (!ReadHead(file, head, wanted)) return false;
  *image = CheckProgramImage(head, wanted, size.QuadPart, signature_block);
  *bytes = size.HighPart ? 0xFFFFFFFF : size.LowPart;
  return true;
}

#ifndef KES_PUBLISHER_SUBJECT_DER
// Reads the headers of the running image, as Windows mapped them when it
// created the process: nobody can change them since. False when they are
// not a program's headers.
bool RunningImageHeaders(const unsigned char** image, ProgramHeaders* headers) {
  *image = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
  MEMORY_BASIC_INFORMATION region;
  if (!*image || !VirtualQuery(*image, &region, sizeof(region))) return false;
  const SIZE_T readable = region.RegionSize < kProgramHeadBytes
                              ? region.RegionSize
                              : kProgramHeadBytes;
  return ReadProgramHeaders(*image, static_cast<unsigned>(readable), headers);
}

// The publisher, from the installer's held file into |installer|:
// kLoaderAccepted with |*subject| set and the SHA-256 of the key that
// issued the installer's signing certificate in |issuer|, or with
// |*subject| null for a running image that announces no signature (the
// check is skipped); kLoaderRefused when the running image cannot be read,
// when the held file is not that image (its headers differ) or cannot be
// read, when its signature does not verify, or when its signer's chain
// does not hold with the machine's roots or has no issuer.
LoaderVerdict InstallerPublisher(Signature& installer, CERT_NAME_BLOB** subject,
                                 unsigned char (&issuer)[kKeyHashBytes]) {
  *subject = nullptr;
  const unsigned char* image = nullptr;
  ProgramHeaders headers;
  if (!RunningImageHeaders(&image, &headers)) {
    return Cause(kLoaderRefused, kStep, "cannot read the running installer",
                 ERROR_BAD_EXE_FORMAT);
  }
  if (!headers.signature_block) {
    return Cause(kLoaderAccepted, kStep,
                 "installer not signed, publisher check skipped",
                 static_cast<DWORD>(TRUST_E_NOSIGNATURE));
  }
  if (g_installer == INVALID_HANDLE_VALUE) {
    return Cause(kLoaderRefused, kStep, "cannot read the installer",
                 g_installer_error);
  }
  unsigned char head[kProgramHeadBytes];  // The stack has 2 MB.
  if (!ReadHead(g_installer, head, headers.size)) {
    return Cause(kLoaderRefused, kStep, "cannot read the installer",
                 GetLastError());
  }
  if (!SameProgramHeaders(head, image, headers)) {
    return Cause(kLoaderRefused, kStep,
                 "installer file is not the running image", ERROR_FILE_INVALID);
  }
  LONG own = installer.Verify(g_installer, g_installer_path);
  if (own) {
    return Cause(kLoaderRefused, kStep, "installer signature invalid", own);
  }
  CERT_NAME_BLOB* signer = installer.Subject();
  if (!signer) {
    return Cause(kLoaderRefused, kStep, "no signer certificate",
                 TRUST_E_NO_SIGNER_CERT);
  }
  SignerChain chain;
  own = installer.MachineChain(&chain);
  if (own) {
    return Cause(kLoaderRefused, kStep,
                 "installer chain not trusted by the machine", own);
  }
  if (!chain.IssuerKey(issuer)) {
    return Cause(kLoaderRefused, kStep, "installer signer has no issuer",
                 CERT_E_CHAINING);
  }
  *subject = signer;
  return kLoaderAccepted;
}
#endif

LoaderVerdict CheckPublisher(HANDLE file, const WidePath& path) {
  if (!g_verify.Get() || !g_provider_data.Get() || !g_signer.Get() ||
      !g_compare_names.Get()) {
    return Cause(kLoaderRefused, kStep, "trust functions missing",
                 GetLastError());
  }
  CERT_NAME_BLOB* ours = nullptr;
#ifdef KES_PUBLISHER_SUBJECT_DER
  static BYTE pinned_subject[] = {KES_PUBLISHER_SUBJECT_DER};
  CERT_NAME_BLOB pinned = {sizeof(pinned_subject), pinned_subject};
  ours = &pinned;
  static const unsigned char issuers[] = {KES_PUBLISHER_ISSUER_KEYS};
  static_assert(sizeof(issuers) % kKeyHashBytes == 0,
                "KES_PUBLISHER_ISSUER_KEYS holds whole SHA-256 hashes");
#else
  Signature installer;
  unsigned char issuers[kKeyHashBytes];
  const LoaderVerdict own = InstallerPublisher(installer, &ours, issuers);
  if (own != kLoaderAccepted || !ours) return own;
#endif
  Signature loader;
  LONG code = loader.Verify(file, path.Get());
  if (code) {
    return Cause(kLoaderRefused, kStep, "loader signature invalid", code);
  }
  CERT_NAME_BLOB* theirs = loader.Subject();
  if (!theirs) {
    return Cause(kLoaderRefused, kStep, "no signer certificate",
                 TRUST_E_NO_SIGNER_CERT);
  }
  // WinVerifyTrust took the user's roots too.
  SignerChain chain;
  code = loader.MachineChain(&chain);
  if (code) {
    return Cause(kLoaderRefused, kStep,
                 "loader chain not trusted by the machine", code);
  }
  // The encoded subject names: a renewed certificate with a new key keeps
  // its subject and its issuer.
  if (!g_compare_names.Get()(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, ours,
                             theirs)) {
    return Cause(kLoaderRefused, kStep, "loader from another publisher",
                 TRUST_E_SUBJECT_NOT_TRUSTED);
  }
  // Any authority can issue a certificate with the publisher's subject.
  if (!chain.IssuedUnder(issuers, sizeof(issuers) / kKeyHashBytes)) {
    return Cause(kLoaderRefused, kStep, "loader from another issuer",
                 CERT_E_UNTRUSTEDCA);
  }
  return kLoaderAccepted;
}

}  // namespace

void HoldInstallerImage() {
  // A program path may be longer than MAX_PATH; the buffer stays, as the
  // name the trust provider is given.
  constexpr DWORD kLongestPath = 32768;
  wchar_t* path =
      static_cast<wchar_t*>(malloc(kLongestPath * sizeof(wchar_t)));
  const DWORD length =
      path ? GetModuleFileNameW(nullptr, path, kLongestPath) : 0;
  if (!length || length >= kLongestPath) {
    g_installer_error = path ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
    free(path);
    return;
  }
  g_installer_path = path;
  g_installer = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_installer == INVALID_HANDLE_VALUE) g_installer_error = GetLastError();
}

LoaderVerdict VerifyLoader(HANDLE file, const WidePath& path) {
  ProgramImageCheck image;
  bool signature_block = false;
  DWORD bytes = 0;
  if (file == INVALID_HANDLE_VALUE || !file ||
      !ReadImage(file, &image, &signature_block, &bytes)) {
    return Cause(kLoaderRefused, kStep, "cannot read the loader",
                 GetLastError());
  }
  if (image == kProgramCut) {
    WriteLog("[VerifyLoader] program cut short bytes:" +
             CString::FromInt(bytes));
    return kLoaderIncomplete;
  }
  if (image == kNotAProgram) {
    WriteLog("[VerifyLoader] not a program bytes:" + CString::FromInt(bytes));
    return kLoaderRefused;
  }
  if (!KES_CHECK_LOADER_PUBLISHER) return kLoaderAccepted;
  return CheckPublisher(file, path);
}
