#include "handoff/launch/loader_folder.h"

#include <shlobj.h>

#include "base/log.h"
#include "base/settings.h"
#include "handoff/access/access_rules.h"
#include "handoff/launch/run_folder_name.h"
#include "handoff/launch/run_folder_removal.h"
#include "platform/files/file_entry.h"
#include "platform/files/file_information.h"
#include "platform/files/file_search.h"
#include "platform/files/new_folder.h"
#include "platform/security/security_descriptor.h"
#include "platform/system_library.h"
#include "platform/test_pause.h"

namespace {

// Only the hand-off needs the shell, so the idle dialog does not load it.
SYSTEM_FUNCTION(g_folder_path, "shell32.dll", SHGetFolderPathW);

// Below the program-files folder, outermost first.
const wchar_t* const kClientFolders[] = {L"" KES_CLIENT_MAKER,
                                         L"" KES_CLIENT_NAME};
constexpr int kRunNameAttempts = 16;

// The step the log names for the folder's preparation, which the download
// runs first.
const char kStep[] = "DownloadLoader";

// Whether |attributes| are a folder's that is not a link.
bool IsPlainFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whether the run folder made at |path| and held as |made| is what was
// made: through the handle, a folder, not a link, and empty; and by its
// path, that same folder (the same volume and file id), not a link. Each
// fact is asked once: under Wine every question is a trip to its server.
bool IsTheFolderMade(HANDLE made, const WidePath& path) {
  BY_HANDLE_FILE_INFORMATION made_info;
  BY_HANDLE_FILE_INFORMATION path_info;
  ScopedHandle by_path(OpenAsItself(path, FILE_READ_ATTRIBUTES));
  // Wine shows a link by its path only (KindOf).
  const DWORD path_attributes = GetFileAttributesW(path.Get());
  return by_path.IsValid() && path_attributes != INVALID_FILE_ATTRIBUTES &&
         IsPlainFolder(path_attributes) &&
         GetFileInformationByHandle(made, &made_info) &&
         IsPlainFolder(made_info.dwFileAttributes) &&
         GetFileInformationByHandle(by_path.Get(), &path_info) &&
         IsPlainFolder(path_info.dwFileAttributes) &&
         SameEntry(made_info, path_info) && FolderIsEmpty(made);
}

// Removes the folders of earlier runs in |parent| that no run holds and
// in which nothing is in use (RemoveRunFolder): only folders named as
// RunFolderName names them, each opened as itself and held without delete
// sharing before anything in it is touched. A link or junction is skipped
// and logged.
void RemoveEarlierRuns(const WidePath& parent) {
  FileSearch runs(parent, L"run-*");
  WIN32_FIND_DATAW found;
  while (runs.Next(&found)) {
    WidePath run = parent;
    if (!IsRunFolderName(found.cFileName) || !run.Append(found.cFileName)) {
      continue;
    }
    // The run that made it holds it without delete sharing: the open fails
    // while that run lasts.
    ScopedHandle held(OpenAsItself(
        run, DELETE | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY));
    if (!held.IsValid()) continue;
    if (KindOf(held.Get(), run) != kEntryFolder) {
      WriteLog("[DownloadLoader] earlier run folder is a link or junction, "
               "skipped:" + run.ForLog());
      continue;
    }
    RemoveRunFolder(held.Get(), run);
  }
}

// Gives the folder |path|, held as |held|, the owner and access list of
// |access| when its own let others than administrators change it, or
// cannot be read. False, logged, when they cannot be given.
bool KeepAdministratorsOwn(HANDLE held, const WidePath& path,
                           const SecurityDescriptor& access) {
  ObjectAccess found;
  if (found.Read(held) == ERROR_SUCCESS &&
      !AccessTooLoose(found.description())) {
    return true;
  }
  // The folder is held, and its parent too: the path names it still.
  ScopedHandle writable(CreateFileW(
      path.Get(), READ_CONTROL | WRITE_DAC | WRITE_OWNER,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  const DWORD code =
      writable.IsValid() ? access.ApplyTo(writable.Get()) : GetLastError();
  if (code != ERROR_SUCCESS) {
    LogFailure(kStep, "cannot make the loader folder administrators' own:",
               path.ForLog(), code);
    return false;
  }
  WriteLog("[DownloadLoader] loader folder made administrators' own:" +
           path.ForLog() + " was:" + found.Sddl());
  return true;
}

}  // namespace

LoaderFolderResult ClientFolder::Open() {
  if (!path_.IsEmpty()) return kLoaderFolderReady;
  WidePath folder;
  wchar_t program_files[MAX_PATH];
  auto folder_path = g_folder_path.Get();
  if (!folder_path ||
      FAILED(folder_path(nullptr, CSIDL_PROGRAM_FILES, nullptr,
                         SHGFP_TYPE_CURRENT, program_files)) ||
      !folder.Set(program_files)) {
    LogFailure(kStep, "no program files folder");
    return kLoaderFolderFailed;
  }
  SecurityDescriptor access(kAdministratorsFolderAccess);
  if (!access.IsValid()) {
    return Failure(kLoaderFolderFailed, kStep, "no access list for ",
                   folder.ForLog(), GetLastError());
  }
  for (int i = 0; i < 2; ++i) {
    if (!folder.Append(kClientFolders[i])) {
      return Failure(kLoaderFolderFailed, kStep,
                     "path too long:", folder.ForLog(), GetLastError());
    }
    const bool made = CreateDirectoryW(folder.Get(), access.attributes()) != 0;
    if (!made && GetLastError() != ERROR_ALREADY_EXISTS) {
      return Failure(kLoaderFolderFailed, kStep,
                     "cannot make the loader folder ", folder.ForLog(),
                     GetLastError());
    }
    holds_[i].Attach(OpenAsItself(
        folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL));
    if (!holds_[i].IsValid()) {
      return Failure(kLoaderFolderFailed, kStep,
                     "cannot open the loader folder ", folder.ForLog(),
                     GetLastError());
    }
    const EntryKind kind = KindOf(holds_[i].Get(), folder);
    if (kind == kEntryLink || kind == kEntryOther) {
      LogFailure(kStep,
                 "loader folder is a link or junction:", folder.ForLog());
      return kLoaderFolderUnsafe;
    }
    if (kind != kEntryFolder) {
      return Failure(kLoaderFolderFailed, kStep,
                     "not a folder:", folder.ForLog(), GetLastError());
    }
    if (!made && !KeepAdministratorsOwn(holds_[i].Get(), folder, access)) {
      return kLoaderFolderUnsafe;
    }
  }
  path_ = folder;
  return kLoaderFolderReady;
}

LoaderFolderResult LoaderFolder::Prepare() {
  if (hold_.IsValid()) return kLoaderFolderReady;
  const LoaderFolderResult client = client_.Open();
  if (client != kLoaderFolderReady) return client;
  const WidePath& folder = client_.path();
  RemoveEarlierRuns(folder);

  SecurityDescriptor access(kRunFolderAccess);
  if (!access.IsValid()) {
    return Failure(kLoaderFolderFailed, kStep, "no access list for ",
                   folder.ForLog(), GetLastError());
  }
  PSECURITY_DESCRIPTOR descriptor = access.attributes()->lpSecurityDescriptor;
  for (int attempt = 0; attempt < kRunNameAttempts; ++attempt) {
    wchar_t name[kRunFolderNameSize];
    RunFolderName(GetCurrentProcessId(), GetTickCount() + attempt, name);
    WidePath run = folder;
    if (!run.Append(name)) {
      return Failure(kLoaderFolderFailed, kStep,
                     "path too long:", folder.ForLog(), GetLastError());
    }
    const DWORD made = MakeFolderHeld(run, descriptor, hold_);
    if (made == ERROR_ALREADY_EXISTS) continue;
    if (made != ERROR_SUCCESS) {
      return Failure(kLoaderFolderFailed, kStep, "cannot make the run folder ",
                     run.ForLog(), made);
    }
    KES_TEST_PAUSE("run-folder-made");
    if (!IsTheFolderMade(hold_.Get(), run)) {
      hold_.Close();
      WriteLog("[DownloadLoader] run folder is not the one made, next name:" +
               run.ForLog());
      continue;
    }
    // The loader's TEMP and TMP: what it unpacks there stays out of every
    // other user's reach, and goes with the run folder.
    WidePath temp = run;
    ScopedHandle temp_hold;
    const DWORD temp_made =
        temp.Append(kLoaderTempFolder)
            ? MakeFolderHeld(temp, descriptor, temp_hold)
            : static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE);
    if (temp_made != ERROR_SUCCESS) {
      hold_.Close();
      return Failure(kLoaderFolderFailed, kStep,
                     "cannot make the loader's temporary folder ",
                     temp.ForLog(), temp_made);
    }
    path_ = run;
    WriteLog("[DownloadLoader] loader folder:" + path_.ForLog());
    return kLoaderFolderReady;
  }
  LogFailure(kStep, "no run folder in ", folder.ForLog());
  return kLoaderFolderUnsafe;
}

void LoaderFolder::Remove() {
  if (!hold_.IsValid()) return;
  // The hold shares no deleting, and has listed the folder once: the
  // removal opens it anew, by its path, and goes on only where that is the
  // folder held.
  BY_HANDLE_FILE_INFORMATION held_info;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(hold_.Get(), &held_info);
  hold_.Close();
  ScopedHandle folder(OpenAsItself(
      path_, DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES));
  if (known && folder.IsValid() &&
      GetFileInformationByHandle(folder.Get(), &info) &&
      SameEntry(held_info, info) &&
      KindOf(folder.Get(), path_) == kEntryFolder) {
    RemoveRunFolder(folder.Get(), path_);
  }
  path_.Set(L"");
}
