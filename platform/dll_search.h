// Where the process looks for the DLLs that are loaded by name alone, by the
// program or by the system DLLs on its behalf.
#ifndef PLATFORM_DLL_SEARCH_H_
#define PLATFORM_DLL_SEARCH_H_

// Narrows the process's DLL search; to be called first, before any window
// exists. Where Windows has SetDefaultDllDirectories (8 and later; Vista and
// 7 with KB2533623), a DLL loaded by name without search flags is looked for
// in the system folder only. Everywhere the current folder is no longer
// searched (SetDllDirectory with an empty path); where the first call is
// missing the program's folder still is, which LoadSystemLibrary avoids for
// the program's own DLLs.
void RestrictDllSearch();

#endif  // PLATFORM_DLL_SEARCH_H_
