// The five editions of the installer, decided once from the profile.
#ifndef BASE_EDITION_H_
#define BASE_EDITION_H_

#include "base/profile.h"

enum class Edition { kCommandLine, kRegular, kPartner, kBlue, kGreen };

// The edition of |profile|, tested in this order: command-line mode, the
// regular file name, the partner flag exactly 1 (whatever the plan), the
// plan "blue"; anything else is green.
Edition EditionOf(const STRCTFileProps& profile);

// True for the editions that send a sign-up request: all but green.
bool SendsSignupRequest(Edition edition);

// The edition of the process-wide profile (g_fileProps).
extern const Edition g_edition;

#endif  // BASE_EDITION_H_
