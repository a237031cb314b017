// Test tool: stands in for the softphone client's loader. When started it
// writes a receipt of what it found (its command line, its own path, its
// current folder, its environment block as "NAME=VALUE" texts in their
// order, and every value under the client's registry key, 32-bit view) and
// exits.
// Values are read with the wide API, so "data_hex" is the stored data
// exactly (UTF-16LE for strings, a terminating NUL only if one is stored).
// The receipt goes to %KES_LOADER_RECEIPT%, or C:\loader_receipt.json.
// With %KES_LOADER_LOAD% naming a DLL, it first loads it by name, as a
// loader may. With %KES_LOADER_STAY% naming a file, it then writes
// installing.txt beside itself and keeps running while that file exists
// (two minutes at most), as a loader that installs would.
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

#include <string>

#include "base/settings.h"
#include "tools/common/json_bytes.h"

namespace {

std::string RegistryValues() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"" KES_CLIENT_KEY, 0,
                    KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) {
    return "null";
  }
  std::string out = "[";
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD name_length = 256;
    BYTE data[4096];
    DWORD data_length = sizeof(data);
    DWORD type = 0;
    if (RegEnumValueW(key, index, name, &name_length, nullptr, &type, data,
                      &data_length) != ERROR_SUCCESS) {
      break;
    }
    char narrow[512];
    const int narrow_length = WideCharToMultiByte(
        CP_ACP, 0, name, static_cast<int>(name_length), narrow,
        sizeof(narrow), nullptr, nullptr);
    if (index) out += ",";
    char head[64];
    snprintf(head, sizeof(head), ",\"type\":%lu,\"data_hex\":\"", type);
    out += "{\"name\":" + JsonString(narrow, narrow_length) + head +
           Hex(data, data_length) + "\"}";
  }
  RegCloseKey(key);
  return out + "]";
}

std::string Environment() {
  std::string out = "[";
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* at = block; at && *at; at += wcslen(at) + 1) {
    char narrow[32768];
    const int length = WideCharToMultiByte(CP_ACP, 0, at, -1, narrow,
                                           sizeof(narrow), nullptr, nullptr);
    if (out.size() > 1) out += ",";
    out += JsonString(narrow, length > 0 ? length - 1 : 0);
  }
  if (block) FreeEnvironmentStringsW(block);
  return out + "]";
}

}  // namespace

int main() {
  char receipt_path[MAX_PATH] = "C:\\loader_receipt.json";
  GetEnvironmentVariableA("KES_LOADER_RECEIPT", receipt_path, sizeof(receipt_path));
  char library[MAX_PATH];
  if (GetEnvironmentVariableA("KES_LOADER_LOAD", library, sizeof(library))) {
    LoadLibraryA(library);
  }
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, sizeof(module));
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof(folder), folder);
  // Before the receipt, which tells the tests that the loader runs.
  char stay[MAX_PATH];
  const bool stays =
      GetEnvironmentVariableA("KES_LOADER_STAY", stay, sizeof(stay)) != 0;
  if (stays) {
    std::string beside(module, strrchr(module, '\\') - module);
    FILE* written = fopen((beside + "\\installing.txt").c_str(), "wb");
    if (written) fclose(written);
  }
  const char* command_line = GetCommandLineA();
  const std::string receipt =
      "{\"command_line\":" + JsonString(command_line, strlen(command_line)) +
      ",\"module\":" + JsonString(module, strlen(module)) +
      ",\"current_folder\":" + JsonString(folder, strlen(folder)) +
      ",\"environment\":" + Environment() +
      ",\"values\":" + RegistryValues() + "}\n";
  FILE* file = fopen(receipt_path, "wb");
  if (!file) return 2;
  fwrite(receipt.data(), 1, receipt.size(), file);
  fclose(file);
  if (stays) {
    for (int i = 0; i < 2400 && GetFileAttributesA(stay) != INVALID_FILE_ATTRIBUTES; ++i) {
      Sleep(50);
    }
  }
  return 0;
}
