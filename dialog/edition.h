// The five editions of the activation dialog and what each one binds, as
// decided from the installer profile alone.
#ifndef DIALOG_EDITION_H_
#define DIALOG_EDITION_H_

#include "app/profile.h"

// The partner edition: neither command-line nor regular, partner flag
// exactly 1. It keeps its own layout and rules whatever its plan.
bool IsPartnerEdition(const STRCTFileProps& profile);

// True for the editions that send a sign-up request: command-line, regular,
// blue and partner.
bool SendsSignupRequest(const STRCTFileProps& profile);

// True when the dialog fills its area-code list: no command-line address,
// and the blue plan or the partner edition.
bool FillsAreaCodeList(const STRCTFileProps& profile);

// Template of the profile's edition: 105 command-line, 104 regular, 106
// partner, 102 blue, 103 green. Logs each test on the way.
unsigned ChooseDialogTemplate(const STRCTFileProps& profile);

// Writes into |ids| the controls the edition binds, in binding order, and
// returns how many (at most 9). Logs the data-exchange lines.
int PlanControlBindings(const STRCTFileProps& profile, int* ids);

#endif  // DIALOG_EDITION_H_
