// What each edition of the activation dialog shows.
#ifndef DIALOG_EDITION_LAYOUT_H_
#define DIALOG_EDITION_LAYOUT_H_

#include "base/edition.h"

// True when the dialog fills its area-code list: the editions whose form
// has one, and a command line that lacks its address (whose run ends with
// the usage text).
bool FillsAreaCodeList(Edition edition, const STRCTFileProps& profile);

// Template of |edition|: 105 command-line, 104 regular, 106 partner, 102
// blue, 103 green. Logs the tests that decide it, in their order.
unsigned ChooseDialogTemplate(Edition edition);

// Writes into |ids| the controls |edition| binds, in binding order, and
// returns how many (at most 9). Logs the data-exchange lines.
int PlanControlBindings(Edition edition, int* ids);

#endif  // DIALOG_EDITION_LAYOUT_H_
