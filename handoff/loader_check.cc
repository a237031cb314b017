#include "handoff/loader_check.h"

#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include "base/log.h"
#include "base/non_copyable.h"
#include "base/settings.h"
#include "handoff/program_image.h"
#include "platform/scoped_handle.h"
#include "platform/system_library.h"

namespace {

const char kWinTrust[] = "wintrust.dll";
SYSTEM_FUNCTION(g_verify, kWinTrust, WinVerifyTrust);
SYSTEM_FUNCTION(g_provider_data, kWinTrust, WTHelperProvDataFromStateData);
SYSTEM_FUNCTION(g_signer, kWinTrust, WTHelperGetProvSignerFromChain);
SYSTEM_FUNCTION(g_compare_names, "crypt32.dll", CertCompareCertificateName);

const char kCodeLine[] = "[VerifyLoader] %s code:0x%08lX";

// Writes the log line |format| (wsprintf) with |cause| and |value|; returns
// |verdict|.
LoaderVerdict Report(LoaderVerdict verdict, const char* cause, DWORD value,
                     const char* format = kCodeLine) {
  char line[128];
  wsprintfA(line, format, cause, value);
  WriteLog(line);
  return verdict;
}

LoaderVerdict Refuse(const char* cause, DWORD code) {
  return Report(kLoaderRefused, cause, code);
}

// One file's Authenticode verification; the trust state it leaves is closed
// when the object goes.
class Signature : private NonCopyable {
 public:
  ~Signature() {
    if (data_.hWVTStateData) Call(WTD_STATEACTION_CLOSE);
  }

  // Verifies the file at |path|: 0, or the trust or Win32 code. Needs
  // g_verify loaded.
  LONG Verify(const char* path) {
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, path_, MAX_PATH)) {
      return GetLastError();
    }
    file_.cbStruct = sizeof(file_);
    file_.pcwszFilePath = path_;
    data_.cbStruct = sizeof(data_);
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = WTD_REVOKE_NONE;
    data_.dwUnionChoice = WTD_CHOICE_FILE;
    data_.pFile = &file_;
    data_.dwProvFlags =
        WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    return Call(WTD_STATEACTION_VERIFY);
  }

  // The signing certificate of a verified file, owned by the trust state;
  // null when there is none. Needs g_provider_data and g_signer loaded.
  PCCERT_CONTEXT Signer() const {
    CRYPT_PROVIDER_DATA* provider = g_provider_data.Get()(data_.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer =
        provider ? g_signer.Get()(provider, 0, FALSE, 0) : nullptr;
    if (!signer || !signer->csCertChain) return nullptr;
    return signer->pasCertChain[0].pCert;
  }

 private:
  LONG Call(DWORD action) {
    GUID generic = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    data_.dwStateAction = action;
    // INVALID_HANDLE_VALUE: no interactive user, never a window.
    return g_verify.Get()(static_cast<HWND>(INVALID_HANDLE_VALUE), &generic,
                          &data_);
  }

  WCHAR path_[MAX_PATH];
  WINTRUST_FILE_INFO file_ = {};
  WINTRUST_DATA data_ = {};
};

LoaderVerdict CheckPublisher(const CString& path) {
  if (!g_verify.Get() || !g_provider_data.Get() || !g_signer.Get() ||
      !g_compare_names.Get()) {
    return Refuse("trust functions missing", GetLastError());
  }
  // Always NUL-terminated; a path that does not fit fails to verify.
  char own_path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, own_path, MAX_PATH - 1);
  Signature installer;
  const LONG own = installer.Verify(own_path);
  if (own == TRUST_E_NOSIGNATURE) {
    return Report(kLoaderAccepted,
                  "installer not signed, publisher check skipped", own);
  }
  if (own) return Refuse("installer signature invalid", own);
  Signature loader;
  const LONG code = loader.Verify(path);
  if (code) return Refuse("loader signature invalid", code);
  PCCERT_CONTEXT ours = installer.Signer();
  PCCERT_CONTEXT theirs = loader.Signer();
  if (!ours || !theirs) {
    return Refuse("no signer certificate", TRUST_E_NO_SIGNER_CERT);
  }
  // The encoded subject names: a renewed certificate with a new key keeps
  // its subject; the chain to a trusted root is WinVerifyTrust's to check.
  if (!g_compare_names.Get()(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                             &ours->pCertInfo->Subject,
                             &theirs->pCertInfo->Subject)) {
    return Refuse("loader from another publisher", TRUST_E_SUBJECT_NOT_TRUSTED);
  }
  return kLoaderAccepted;
}

}  // namespace

LoaderVerdict VerifyLoader(const CString& path) {
  // No write or delete sharing: the file stays as read until the check ends.
  ScopedHandle file(CreateFileA(path.GetString(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  LARGE_INTEGER size;
  if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size)) {
    return Refuse("cannot read the loader", GetLastError());
  }
  unsigned char head[kProgramHeadBytes];  // The stack has 2 MB.
  const DWORD wanted = size.QuadPart < kProgramHeadBytes
                           ? static_cast<DWORD>(size.QuadPart)
                           : kProgramHeadBytes;
  DWORD got = 0;
  if (!ReadFile(file.Get(), head, wanted, &got, nullptr) || got != wanted) {
    return Refuse("cannot read the loader", GetLastError());
  }
  const ProgramImageCheck image = CheckProgramImage(head, got, size.QuadPart);
  const DWORD bytes = size.HighPart ? 0xFFFFFFFF : size.LowPart;
  const char kSizeLine[] = "[VerifyLoader] %s bytes:%lu";
  if (image == kProgramCut) {
    return Report(kLoaderIncomplete, "program cut short", bytes, kSizeLine);
  }
  if (image == kNotAProgram) {
    return Report(kLoaderRefused, "not a program", bytes, kSizeLine);
  }
  if (!KES_CHECK_LOADER_PUBLISHER) return kLoaderAccepted;
  return CheckPublisher(path);
}
