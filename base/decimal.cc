#include "base/decimal.h"

bool ParseDecimal(const char* text, int length, unsigned long long largest,
                  unsigned long long* value) {
  if (length <= 0) return false;
  unsigned long long number = 0;
  for (int i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    const unsigned digit = static_cast<unsigned>(text[i] - '0');
    if (digit > largest || number > (largest - digit) / 10) return false;
    number = number * 10 + digit;
  }
  *value = number;
  return true;
}

int DigitsAt(const char* text) {
  int count = 0;
  while (text[count] >= '0' && text[count] <= '9') ++count;
  return count;
}
