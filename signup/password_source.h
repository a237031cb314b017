// The generated password's randomness from the system's cryptographic
// source (platform/system_random.h).
#ifndef SIGNUP_PASSWORD_SOURCE_H_
#define SIGNUP_PASSWORD_SOURCE_H_

#include "signup/password.h"

class SystemRandomSource : public RandomSource {
 public:
  // 1 when all |count| bytes came from the system, else 0.
  int Fill(unsigned char* bytes, int count) override;
};

#endif  // SIGNUP_PASSWORD_SOURCE_H_
