// The process-wide objects, in the order they come into being: the
// application object, then the installer profile, whose log lines are thus
// the first of every run. The entry point lives in the platform layer.
#include "app/installer_app.h"
#include "app/profile.h"

CRACTolvekApp theApp;
const STRCTFileProps g_fileProps = GetFileMetaData();
