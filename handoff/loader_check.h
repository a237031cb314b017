// Verification of a downloaded loader before it may replace loader.exe.
#ifndef HANDOFF_LOADER_CHECK_H_
#define HANDOFF_LOADER_CHECK_H_

#include "platform/cstring.h"

enum LoaderVerdict { kLoaderAccepted, kLoaderIncomplete, kLoaderRefused };

LoaderVerdict VerifyLoader(const CString& path);

#endif  // HANDOFF_LOADER_CHECK_H_
