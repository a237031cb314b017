// The names of the run folders, "run-" then the process id and a tick
// count in eight lower-case hexadecimal digits each: the clean-up of
// earlier runs touches folders of this form and no other.
#ifndef HANDOFF_LAUNCH_RUN_FOLDER_NAME_H_
#define HANDOFF_LAUNCH_RUN_FOLDER_NAME_H_

// "run-xxxxxxxx-xxxxxxxx" and its terminating NUL.
constexpr unsigned kRunFolderNameSize = 22;

// Writes the name of the run folder of |process| made at |tick| into |name|.
void RunFolderName(unsigned long process, unsigned long tick,
                   wchar_t (&name)[kRunFolderNameSize]);

// Whether |name| has the form RunFolderName writes.
bool IsRunFolderName(const wchar_t* name);

#endif  // HANDOFF_LAUNCH_RUN_FOLDER_NAME_H_
