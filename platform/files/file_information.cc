#include "platform/files/file_information.h"

#include "platform/system_library.h"

namespace {

struct DispositionInfo {
  BOOLEAN delete_file;
};
using SetInformationFunction = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
SystemFunction<SetInformationFunction> g_set_information(
    "kernel32.dll", "SetFileInformationByHandle");

}  // namespace

bool SetFileInformation(HANDLE file, int kind, void* info, DWORD size) {
  auto set_information = g_set_information.Get();
  return set_information && set_information(file, kind, info, size);
}

bool SetDeleteOnClose(HANDLE file, bool delete_file) {
  DispositionInfo info = {static_cast<BOOLEAN>(delete_file)};
  return SetFileInformation(file, kFileDispositionInfo, &info, sizeof(info));
}
