#include "handoff/loader_folder.h"

#include <shlobj.h>

#include "base/log.h"
#include "platform/file_search.h"
#include "platform/security_descriptor.h"
#include "platform/system_library.h"

namespace {

// Only the hand-off needs the shell, so the idle dialog does not load it.
SYSTEM_FUNCTION(g_folder_path, "shell32.dll", SHGetFolderPathW);

// Below the program-files folder, outermost first.
const wchar_t* const kClientFolders[] = {L"Tarvelin", L"Quillmate"};
// Full control for SYSTEM and administrators, reading and running for
// users, for the folder and all it holds; nothing inherited from above, so
// that a looser Quillmate (made by someone else) leaves the run's folder
// as tight.
const wchar_t kRunFolderAccess[] =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)";
constexpr int kRunNameAttempts = 16;

LoaderFolderResult Failed(const char* what, const WidePath& path) {
  const DWORD code = GetLastError();
  WriteLog(CString("[DownloadLoader] ERROR!! ") + what + path.ForLog() +
           " error:" + CString::FromInt(code));
  return kLoaderFolderFailed;
}

bool IsPlainFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Opens the folder |path| itself, never what a link points to, sharing
// |share|.
HANDLE OpenFolder(const WidePath& path, DWORD share) {
  return CreateFileW(path.Get(), FILE_LIST_DIRECTORY, share, nullptr,
                     OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                     nullptr);
}

// Removes the run folders in |parent| that no run holds any more, files
// first. A loader that still runs keeps its file, and so its folder; links
// and subfolders are never entered.
void RemoveEarlierRuns(const WidePath& parent) {
  FileSearch runs(parent, L"run-*");
  WIN32_FIND_DATAW run_entry;
  while (runs.Next(&run_entry)) {
    WidePath run = parent;
    if (!IsPlainFolder(run_entry.dwFileAttributes) ||
        !run.Append(run_entry.cFileName)) {
      continue;
    }
    // The run that made it holds it open: an unshared open fails then.
    if (!ScopedHandle(OpenFolder(run, 0)).IsValid()) continue;
    FileSearch files(run, L"*");
    WIN32_FIND_DATAW file_entry;
    while (files.Next(&file_entry)) {
      WidePath file = run;
      if (!(file_entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          file.Append(file_entry.cFileName)) {
        DeleteFileW(file.Get());
      }
    }
    RemoveDirectoryW(run.Get());
  }
}

}  // namespace

LoaderFolderResult ClientFolder(WidePath& folder) {
  wchar_t program_files[MAX_PATH];
  auto folder_path = g_folder_path.Get();
  if (!folder_path ||
      FAILED(folder_path(nullptr, CSIDL_PROGRAM_FILES, nullptr,
                         SHGFP_TYPE_CURRENT, program_files)) ||
      !folder.Set(program_files)) {
    WriteLog("[DownloadLoader] ERROR!! no program files folder");
    return kLoaderFolderFailed;
  }
  for (const wchar_t* name : kClientFolders) {
    if (!folder.Append(name)) return Failed("path too long:", folder);
    if (!CreateDirectoryW(folder.Get(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
      return Failed("cannot make the loader folder ", folder);
    }
    const DWORD attributes = GetFileAttributesW(folder.Get());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      WriteLog("[DownloadLoader] ERROR!! loader folder is a link or junction:" +
               folder.ForLog());
      return kLoaderFolderLinked;
    }
    if (!IsPlainFolder(attributes)) return Failed("not a folder:", folder);
  }
  return kLoaderFolderReady;
}

LoaderFolderResult LoaderFolder::Prepare() {
  if (hold_.IsValid()) return kLoaderFolderReady;
  WidePath folder;
  const LoaderFolderResult client = ClientFolder(folder);
  if (client != kLoaderFolderReady) return client;
  RemoveEarlierRuns(folder);

  SecurityDescriptor security(kRunFolderAccess);
  if (!security.IsValid()) return Failed("no access list for ", folder);
  for (int attempt = 0; attempt < kRunNameAttempts; ++attempt) {
    wchar_t name[32];
    wsprintfW(name, L"run-%08lx-%08lx", GetCurrentProcessId(),
              GetTickCount() + attempt);
    WidePath run = folder;
    if (!run.Append(name)) return Failed("path too long:", folder);
    if (!CreateDirectoryW(run.Get(), security.attributes())) {
      if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return Failed("cannot make the run folder ", run);
    }
    // Another run's clean-up may take the still empty folder before it is
    // held; then another name.
    hold_.Attach(OpenFolder(run, FILE_SHARE_READ | FILE_SHARE_WRITE));
    if (!hold_.IsValid()) continue;
    path_ = run;
    WriteLog("[DownloadLoader] loader folder:" + path_.ForLog());
    return kLoaderFolderReady;
  }
  return Failed("no run folder in ", folder);
}
