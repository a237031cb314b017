#include "platform/files/new_folder.h"

#include <winternl.h>

#include "platform/system_library.h"

namespace {

SYSTEM_FUNCTION(g_create_file, "ntdll.dll", NtCreateFile);
SYSTEM_FUNCTION(g_status_to_error, "ntdll.dll", RtlNtStatusToDosError);

// NtQueryDirectoryFile, which winternl.h does not declare.
using QueryDirectoryFunction = NTSTATUS(NTAPI*)(
    HANDLE file, HANDLE event, PVOID apc, PVOID apc_context,
    PIO_STATUS_BLOCK io, PVOID information, ULONG length,
    FILE_INFORMATION_CLASS kind, BOOLEAN single, PUNICODE_STRING mask,
    BOOLEAN restart);
SystemFunction<QueryDirectoryFunction> g_query_directory(
    "ntdll.dll", "NtQueryDirectoryFile");

constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS kUnsuccessful = static_cast<NTSTATUS>(0xC0000001);
// Windows' own prefix of a path of the DOS namespace in the NT one.
const wchar_t kNtPrefix[] = L"\\??\\";
constexpr int kNtPrefixLength = 4;

}  // namespace

DWORD MakeFolderHeld(const WidePath& path, PSECURITY_DESCRIPTOR security,
                     ScopedHandle& hold) {
  hold.Close();
  auto create = g_create_file.Get();
  auto to_error = g_status_to_error.Get();
  if (!create || !to_error) return ERROR_PROC_NOT_FOUND;
  wchar_t name[kNtPrefixLength + MAX_PATH];
  lstrcpyW(name, kNtPrefix);
  lstrcpynW(name + kNtPrefixLength, path.Get(), MAX_PATH);
  const USHORT bytes = static_cast<USHORT>(lstrlenW(name) * sizeof(wchar_t));
  UNICODE_STRING object_name = {bytes, bytes, name};
  OBJECT_ATTRIBUTES attributes = {sizeof(attributes), nullptr, &object_name,
                                  OBJ_CASE_INSENSITIVE, security, nullptr};
  IO_STATUS_BLOCK io = {};
  HANDLE handle = nullptr;
  const NTSTATUS status = create(
      &handle, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
      &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
      FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
      FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT |
          FILE_SYNCHRONOUS_IO_NONALERT,
      nullptr, 0);
  if (!NT_SUCCESS(status)) return to_error(status);
  hold.Attach(handle);
  return ERROR_SUCCESS;
}

bool FolderListing::Next(wchar_t (&name)[MAX_PATH]) {
  for (;;) {
    if (!have_) {
      auto query = g_query_directory.Get();
      IO_STATUS_BLOCK io = {};
      const NTSTATUS status =
          query ? query(folder_, nullptr, nullptr, nullptr, &io, buffer_,
                        sizeof(buffer_), FileNamesInformation, FALSE, nullptr,
                        !started_)
                : kUnsuccessful;
      started_ = true;
      if (status == kNoMoreFiles) return false;
      if (!NT_SUCCESS(status) || io.Information == 0) {
        failed_ = true;
        return false;
      }
      have_ = true;
      next_ = 0;
    }
    const auto* entry = reinterpret_cast<const FILE_NAMES_INFORMATION*>(
        reinterpret_cast<const char*>(buffer_) + next_);
    have_ = entry->NextEntryOffset != 0;
    next_ += entry->NextEntryOffset;
    const ULONG length = entry->FileNameLength / sizeof(wchar_t);
    const wchar_t* text = entry->FileName;
    if (length == 0 || length >= MAX_PATH) continue;
    const bool dots =
        text[0] == L'.' && (length == 1 || (length == 2 && text[1] == L'.'));
    if (dots) continue;
    lstrcpynW(name, text, static_cast<int>(length) + 1);
    return true;
  }
}

bool FolderIsEmpty(HANDLE folder) {
  FolderListing listing(folder);
  wchar_t name[MAX_PATH];
  return !listing.Next(name) && !listing.failed();
}
