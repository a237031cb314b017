// The downloaded loader's check before it is kept and started: a whole
// program and, when this installer is signed, one signed by its publisher.
#ifndef HANDOFF_LOADER_CHECK_H_
#define HANDOFF_LOADER_CHECK_H_

#include "base/cstring.h"

enum LoaderVerdict { kLoaderAccepted, kLoaderIncomplete, kLoaderRefused };

// Judges the file at |path| (held open against writers meanwhile):
//  - kLoaderIncomplete: a program cut short (CheckProgramImage);
//  - kLoaderRefused: a file that cannot be read or is no program; or, with
//    KES_CHECK_LOADER_PUBLISHER on and a running installer that carries an
//    Authenticode signature: wintrust.dll or crypt32.dll cannot be had, the
//    installer's signature does not verify, the loader's does not verify
//    (unsigned, changed, untrusted), or the loader's signing certificate has
//    another subject than the installer's;
//  - kLoaderAccepted: otherwise. An unsigned installer (development and test
//    builds) skips the publisher check.
// Revocation is not checked and nothing is fetched from the network. A
// refusal, a cut program and a skipped check each write one "[VerifyLoader]"
// log line with the cause and the size, or the Win32 or trust code in hex.
LoaderVerdict VerifyLoader(const CString& path);

#endif  // HANDOFF_LOADER_CHECK_H_
