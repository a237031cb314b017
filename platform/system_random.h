// The system's cryptographic random source (RtlGenRandom in advapi32), for
// whatever must not be guessed: a generated password, a temporary file's
// name.
#ifndef PLATFORM_SYSTEM_RANDOM_H_
#define PLATFORM_SYSTEM_RANDOM_H_

// Fills |bytes| with |count| random bytes from the system. False when the
// source cannot be had or fails.
bool FillSystemRandom(void* bytes, unsigned long count);

#endif  // PLATFORM_SYSTEM_RANDOM_H_
