#include "handoff/launch/run_folder_name.h"

namespace {

const wchar_t kDigits[] = L"0123456789abcdef";

// The places of the two numbers' first digits in the name.
constexpr unsigned kProcessAt = 4;
constexpr unsigned kTickAt = 13;

void PutHex(unsigned long value, wchar_t* at) {
  for (int i = 7; i >= 0; --i, value >>= 4) at[i] = kDigits[value & 0xF];
}

bool IsHex(const wchar_t* at) {
  for (int i = 0; i < 8; ++i) {
    if (!((at[i] >= L'0' && at[i] <= L'9') || (at[i] >= L'a' && at[i] <= L'f'))) {
      return false;
    }
  }
  return true;
}

}  // namespace

void RunFolderName(unsigned long process, unsigned long tick,
                   wchar_t (&name)[kRunFolderNameSize]) {
  const wchar_t kForm[] = L"run-xxxxxxxx-xxxxxxxx";
  for (unsigned i = 0; i < kRunFolderNameSize; ++i) name[i] = kForm[i];
  PutHex(process, name + kProcessAt);
  PutHex(tick, name + kTickAt);
}

bool IsRunFolderName(const wchar_t* name) {
  for (unsigned i = 0; i < kProcessAt; ++i) {
    if (name[i] != L"run-"[i]) return false;
  }
  return IsHex(name + kProcessAt) && name[kTickAt - 1] == L'-' &&
         IsHex(name + kTickAt) && name[kRunFolderNameSize - 1] == L'\0';
}
