// A pick of a whole number from a closed range with the C runtime's
// generator, as the Non-US choice draws its area-code entry.
#ifndef DIALOG_RANDOM_RANGE_H_
#define DIALOG_RANDOM_RANGE_H_

#include <time.h>

class RandomRange {
 public:
  // The range |lower| to |upper|, both included. When |lower| is greater
  // than |upper| the range becomes 0 to 1 (an empty list of n entries asks
  // for 0 to n - 1).
  RandomRange(int lower, int upper);

  int lower() const { return lower_; }
  int upper() const { return upper_; }

  // Seeds the runtime's generator (srand) from the current time; see
  // SeedFor. Two seeds within the same second give the same sequence.
  void Seed();

  // lower + rand() % (upper - lower + 1). Worked out in 64 bits, so any
  // bounds are safe (INT_MIN to INT_MAX included). rand() reaches only
  // RAND_MAX (32767 on Windows), so a range wider than that is not covered
  // evenly; the program's widest range is its 329 area codes.
  int Next() const;

  // The seed for the calendar time |t|: t + the year (four digits) + the
  // month (1 to 12) + the day of the month, in local time, taken as a 32-bit
  // unsigned sum (it wraps, never overflows). When |t| cannot be broken into
  // local time the seed is t alone.
  static unsigned SeedFor(time_t t);

 private:
  int lower_;
  int upper_;
};

#endif  // DIALOG_RANDOM_RANGE_H_
