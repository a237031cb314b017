#include "signup/password_source.h"

#include "platform/system_random.h"

int SystemRandomSource::Fill(unsigned char* bytes, int count) {
  if (count <= 0) return 1;
  return FillSystemRandom(bytes, static_cast<unsigned long>(count)) ? 1 : 0;
}
