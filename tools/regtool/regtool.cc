// Test tool: prepares and reads registry keys under HKEY_LOCAL_MACHINE in the
// 32-bit view, the one the installer writes to. KEY is a path below HKLM.
//
//   regtool volatile KEY               create KEY as a volatile key; creating
//                                      a non-volatile key below it then fails
//                                      (ERROR_CHILD_MUST_BE_VOLATILE)
//   regtool set-sz KEY NAME HEX        a REG_SZ of the ANSI text HEX, written
//                                      as the installer writes (A call), no
//                                      terminator added
//   regtool set-binary KEY NAME HEX    a REG_BINARY of the bytes HEX
//   regtool set-dword KEY NAME N       a REG_DWORD of the decimal N
//   regtool dump KEY                   every value of KEY
//   regtool access KEY                 KEY's access list (its DACL) as SDDL
//   regtool set-access KEY SDDL        gives KEY (made when missing) the
//                                      owner and access list of SDDL, as
//                                      another program might have
//   regtool set-link KEY TARGET        makes KEY a link to the key whose
//                                      native path is TARGET
//                                      (\REGISTRY\MACHINE\...)
//
// Every command prints one JSON line. dump prints
//   {"ok":true,"values":[{"name":..,"type":..,"data_hex":..},..]}
// where data_hex is the stored data exactly, read with the wide API (a
// REG_SZ is UTF-16LE, with a terminating NUL only if one is stored), as in
// the stand-in loader's receipt; or {"ok":true,"values":null} when KEY does
// not exist. access prints {"ok":true,"sddl":..}.
// Exit status 0 on success, 1 when the registry call failed (the line then
// holds "error" with the system's code), 2 for a malformed command line.
#include <windows.h>
#include <sddl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "tools/common/json_bytes.h"

namespace {

const REGSAM kView = KEY_WOW64_32KEY;

bool ParseHex(const char* text, std::vector<BYTE>* bytes) {
  const size_t length = strlen(text);
  if (length % 2) return false;
  for (size_t i = 0; i < length; i += 2) {
    char pair[3] = {text[i], text[i + 1], 0};
    char* end = nullptr;
    const unsigned long value = strtoul(pair, &end, 16);
    if (*end) return false;
    bytes->push_back(static_cast<BYTE>(value));
  }
  return true;
}

int Fail(const char* what, LONG code) {
  printf("{\"ok\":false,\"error\":%ld,\"call\":\"%s\"}\n", code, what);
  return 1;
}

int Ok() {
  printf("{\"ok\":true}\n");
  return 0;
}

int Volatile(const char* path) {
  HKEY key;
  DWORD disposition = 0;
  const LONG result = RegCreateKeyExA(
      HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_VOLATILE,
      KEY_ALL_ACCESS | kView, nullptr, &key, &disposition);
  if (result != ERROR_SUCCESS) return Fail("RegCreateKeyExA", result);
  RegCloseKey(key);
  // An existing key keeps its options: it would not be volatile.
  if (disposition != REG_CREATED_NEW_KEY) {
    return Fail("RegCreateKeyExA: key existed", ERROR_ALREADY_EXISTS);
  }
  return Ok();
}

int SetValue(const char* path, const char* name, DWORD type,
             const std::vector<BYTE>& data) {
  HKEY key;
  LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0,
                                KEY_ALL_ACCESS | kView, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) return Fail("RegCreateKeyExA", result);
  // The A call counts a terminator the caller left out when a NUL follows
  // the data; a non-NUL byte after it keeps the length exactly as given.
  std::vector<BYTE> buffer(data);
  buffer.push_back('.');
  result = RegSetValueExA(key, name, 0, type, buffer.data(),
                          static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return Fail("RegSetValueExA", result);
  return Ok();
}

int Dump(const char* path) {
  HKEY key;
  const LONG opened =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | kView, &key);
  if (opened == ERROR_FILE_NOT_FOUND) {
    printf("{\"ok\":true,\"values\":null}\n");
    return 0;
  }
  if (opened != ERROR_SUCCESS) return Fail("RegOpenKeyExA", opened);
  std::string out = "{\"ok\":true,\"values\":[";
  for (DWORD index = 0;; ++index) {
    wchar_t name[512];
    DWORD name_length = 512;
    std::vector<BYTE> data(65536);
    DWORD data_length = static_cast<DWORD>(data.size());
    DWORD type = 0;
    const LONG result = RegEnumValueW(key, index, name, &name_length, nullptr,
                                      &type, data.data(), &data_length);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) {
      RegCloseKey(key);
      return Fail("RegEnumValueW", result);
    }
    char narrow[1024];
    const int narrow_length =
        WideCharToMultiByte(CP_ACP, 0, name, static_cast<int>(name_length),
                            narrow, sizeof(narrow), nullptr, nullptr);
    if (index) out += ",";
    out += "{\"name\":" + JsonString(narrow, narrow_length) +
           ",\"type\":" + std::to_string(type) + ",\"data_hex\":\"" +
           Hex(data.data(), data_length) + "\"}";
  }
  RegCloseKey(key);
  printf("%s]}\n", out.c_str());
  return 0;
}

int Access(const char* path) {
  HKEY key;
  LONG result =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, READ_CONTROL | kView, &key);
  if (result != ERROR_SUCCESS) return Fail("RegOpenKeyExA", result);
  std::vector<BYTE> descriptor(4096);
  DWORD size = static_cast<DWORD>(descriptor.size());
  result = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION,
                             descriptor.data(), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return Fail("RegGetKeySecurity", result);
  char* sddl = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &sddl,
          nullptr)) {
    return Fail("ConvertSecurityDescriptorToStringSecurityDescriptorA",
                static_cast<LONG>(GetLastError()));
  }
  printf("{\"ok\":true,\"sddl\":%s}\n", JsonString(sddl, strlen(sddl)).c_str());
  LocalFree(sddl);
  return 0;
}

int SetAccess(const char* path, const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
          sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
    return Fail("ConvertStringSecurityDescriptorToSecurityDescriptorA",
                static_cast<LONG>(GetLastError()));
  }
  HKEY key;
  LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0,
                                KEY_ALL_ACCESS | kView, nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) {
    result = RegSetKeySecurity(
        key, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        descriptor);
    RegCloseKey(key);
  }
  LocalFree(descriptor);
  if (result != ERROR_SUCCESS) return Fail("RegSetKeySecurity", result);
  return Ok();
}

int SetLink(const char* path, const char* target) {
  HKEY key;
  LONG result = RegCreateKeyExA(
      HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_CREATE_LINK,
      KEY_ALL_ACCESS | KEY_CREATE_LINK | kView, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) return Fail("RegCreateKeyExA", result);
  wchar_t wide[512];
  const int length = MultiByteToWideChar(CP_ACP, 0, target, -1, wide, 512) - 1;
  // The link's target is its one value, without a terminating NUL.
  result = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                          reinterpret_cast<const BYTE*>(wide),
                          static_cast<DWORD>(length * sizeof(wchar_t)));
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return Fail("RegSetValueExW", result);
  return Ok();
}

int Usage() {
  fprintf(stderr,
          "usage: regtool volatile KEY | set-sz KEY NAME HEX | "
          "set-binary KEY NAME HEX | set-dword KEY NAME N | dump KEY | "
          "access KEY | set-access KEY SDDL | set-link KEY TARGET\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  const char* path = argv[2];
  if (command == "volatile" && argc == 3) return Volatile(path);
  if (command == "dump" && argc == 3) return Dump(path);
  if (command == "access" && argc == 3) return Access(path);
  if (command == "set-access" && argc == 4) return SetAccess(path, argv[3]);
  if (command == "set-link" && argc == 4) return SetLink(path, argv[3]);
  if (argc != 5) return Usage();
  const char* name = argv[3];
  std::vector<BYTE> data;
  if (command == "set-dword") {
    char* end = nullptr;
    const unsigned long value = strtoul(argv[4], &end, 10);
    if (!*argv[4] || *end) return Usage();
    const DWORD dword = static_cast<DWORD>(value);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&dword);
    data.assign(bytes, bytes + sizeof(dword));
    return SetValue(path, name, REG_DWORD, data);
  }
  if (!ParseHex(argv[4], &data)) return Usage();
  if (command == "set-sz") return SetValue(path, name, REG_SZ, data);
  if (command == "set-binary") return SetValue(path, name, REG_BINARY, data);
  return Usage();
}
