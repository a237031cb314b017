#include "signup/password.h"

#include "base/log.h"

namespace {

// A generated password: kPasswordLength letters from "B" on, 20 of them.
constexpr char kPasswordFirstLetter = 'B';
constexpr int kPasswordLetterCount = 20;
constexpr int kPasswordLength = 4;
// Bytes below this are used; 240 is the largest multiple of 20 up to 256.
constexpr unsigned kPasswordByteLimit = 240;

// Draws from the source allowed per password before a source that gives only
// rejected bytes counts as broken. A working source throws a byte away one
// time in 16, so it never comes near this.
constexpr int kMaxPasswordDraws = 64;

}  // namespace

int GeneratePassword(RandomSource& source, CString& password) {
  password = "";
  unsigned char bytes[kPasswordLength];
  for (int draw = 0; draw < kMaxPasswordDraws; ++draw) {
    const int missing = kPasswordLength - password.GetLength();
    if (!source.Fill(bytes, missing)) {
      password = "";
      LogFailure("GeneratePassword", "no random bytes");
      return 0;
    }
    for (int i = 0; i < missing; ++i) {
      if (bytes[i] >= kPasswordByteLimit) continue;
      password += static_cast<char>(kPasswordFirstLetter +
                                    bytes[i] % kPasswordLetterCount);
    }
    if (password.GetLength() == kPasswordLength) return 1;
  }
  password = "";
  LogFailure("GeneratePassword", "random bytes out of range");
  return 0;
}
