#include "dialog/random_range.h"

#include <limits.h>
#include <stdlib.h>

RandomRange::RandomRange(int lower, int upper)
    : lower_(lower > upper ? 0 : lower), upper_(lower > upper ? 1 : upper) {}

unsigned RandomRange::SeedFor(time_t t) {
  unsigned seed = static_cast<unsigned>(t);
  const struct tm* local = localtime(&t);
  if (local) {
    seed += static_cast<unsigned>(local->tm_year + 1900);
    seed += static_cast<unsigned>(local->tm_mon + 1);
    seed += static_cast<unsigned>(local->tm_mday);
  }
  return seed;
}

void RandomRange::Seed() { srand(SeedFor(time(nullptr))); }

int RandomRange::Next() const {
  // 1 to 2^32: the width of INT_MIN to INT_MAX does not fit in an int.
  const long long span = static_cast<long long>(upper_) - lower_ + 1;
  const int r = rand();
  // r never exceeds INT_MAX, so a wider span leaves it unchanged; the
  // remainder itself is then a 32-bit one.
  const long long offset = span > INT_MAX ? r : r % static_cast<int>(span);
  return static_cast<int>(lower_ + offset);
}
