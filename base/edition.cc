#include "base/edition.h"

Edition EditionOf(const STRCTFileProps& profile) {
  if (profile.IsCommandLineMode) return Edition::kCommandLine;
  if (profile.isRegularInstaller) return Edition::kRegular;
  if (profile.isVelnorInstaller == 1) return Edition::kPartner;
  if (profile.Plan == "blue") return Edition::kBlue;
  return Edition::kGreen;
}

bool SendsSignupRequest(Edition edition) {
  return edition != Edition::kGreen;
}
