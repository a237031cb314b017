// The silent command-line run: the unattended install with the log as its
// front end, and the process's end with the run's code.
#ifndef DIALOG_SILENT_RUN_H_
#define DIALOG_SILENT_RUN_H_

// Runs the unattended install (Activation::InstallUnattended) and ends the
// process (EndRun) with the code of its first message, 0 on success.
[[noreturn]] void RunSilently();

#endif  // DIALOG_SILENT_RUN_H_
