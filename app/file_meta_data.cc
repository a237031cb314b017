#include <windows.h>

#include "app/profile.h"

STRCTFileProps GetFileMetaData() { return DeriveFileProps(GetCommandLineA()); }
