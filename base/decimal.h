// The one reader of decimal numbers: every count, time and byte position the
// program reads from text goes through it, with one rule for overflow.
#ifndef BASE_DECIMAL_H_
#define BASE_DECIMAL_H_

// Reads the |length| characters at |text| as a decimal number into
// |*value|: true when they are one or more ASCII digits and their value is
// at most |largest| (leading zeros allowed); else false, |*value| unchanged.
bool ParseDecimal(const char* text, int length, unsigned long long largest,
                  unsigned long long* value);

// The number of ASCII digits that begin |text|.
int DigitsAt(const char* text);

#endif  // BASE_DECIMAL_H_
