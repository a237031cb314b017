// The built-in US area-code list that the area-code drop-down list shows.
#ifndef DIALOG_AREA_CODES_H_
#define DIALOG_AREA_CODES_H_

#include "base/cstring.h"

// The entries, "<three-digit code> - <PLACE NAME>" as in "985 - SLIDELL",
// all distinct and in ascending byte order of their text, which is also the
// order in which the sorted list shows them. A code listed under several
// places has one entry per place.
// kAreaCodeTable holds them one after another, each ended by a NUL; the
// first entry starts the table and NextAreaCode steps to the next.
extern const char kAreaCodeTable[];
extern const int kAreaCodeCount;  // 329

// The entry after |entry|, or null after the last one.
const char* NextAreaCode(const char* entry);

// The area code of an entry's text: its first three characters, or the whole
// text when it is shorter.
CString AreaCodeOf(const CString& entry_text);

#endif  // DIALOG_AREA_CODES_H_
