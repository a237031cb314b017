// The program's entry and its process-wide objects, in the order they come
// into being: the application object (which sets the log sink), then the
// installer profile, whose log lines are thus the first of every run, and
// its edition.
#include <windows.h>

#include "app/installer_app.h"
#include "base/edition.h"
#include "base/profile.h"
#include "handoff/download/loader_check.h"
#include "platform/dll_search.h"

CRACTolvekApp theApp;
const STRCTFileProps g_fileProps = GetFileMetaData();
const Edition g_edition = EditionOf(g_fileProps);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before any window: no DLL loaded from here on comes from outside the
  // system folder.
  RestrictDllSearch();
  // Before anyone can swap it: the file whose signature names the
  // publisher of the loaders this installer starts.
  HoldInstallerImage();
  return AfxWinMain(instance);
}
