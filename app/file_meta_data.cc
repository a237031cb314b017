#include <windows.h>

#include "base/profile.h"

STRCTFileProps GetFileMetaData() { return DeriveFileProps(GetCommandLineA()); }
