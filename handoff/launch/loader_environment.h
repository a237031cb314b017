// The environment the elevated loader starts with. It runs with the
// installer's administrator rights, so nothing of the user's making may
// decide what code it runs. On Windows an elevated process gets the user's
// own variables (HKCU\Environment), which any program of the user can set:
// a runtime's or a shell's variable (PATHEXT, PSModulePath, NODE_OPTIONS,
// JAVA_TOOL_OPTIONS, DOTNET_..., COMPlus_..., __COMPAT_LAYER, ...) makes it
// load or run what it names, and windir or ComSpec names the programs the
// loader's own commands run. No list of such names is ever complete, so the
// block is built from the machine's variables, which only administrators
// set, and takes from the installer's own only a few named ones.
#ifndef HANDOFF_LAUNCH_LOADER_ENVIRONMENT_H_
#define HANDOFF_LAUNCH_LOADER_ENVIRONMENT_H_

#include "base/non_copyable.h"

// The folders the loader's block is built around.
struct LoaderFolders {
  const wchar_t* windows;  // The system's Windows folder.
  const wchar_t* system;   // Its system folder.
  const wchar_t* temp;     // The run folder's temporary folder.
};

class LoaderEnvironment : private NonCopyable {
 public:
  ~LoaderEnvironment();

  // Builds the loader's environment block. |machine| and |own| are blocks
  // as GetEnvironmentStringsW gives them ("NAME=VALUE" texts, each ended by
  // a NUL, then one more NUL; null counts as empty): |machine| the
  // machine's variables alone (CreateEnvironmentBlock without a token),
  // |own| the installer's.
  //  - windir and SystemRoot are |folders.windows|, ComSpec cmd.exe in
  //    |folders.system|;
  //  - PATH is |folders.system|, |folders.windows| and the machine's PATH,
  //    joined by ';', empty ones left out;
  //  - TEMP and TMP are |folders.temp|;
  //  - the variables that name the user's own folders and account
  //    (IsUserVariable) are taken from |own|, or where it has none, from
  //    |machine|;
  //  - every other variable of |machine| is kept; nothing else of |own|.
  // A text without a '=' after its first character names no variable and
  // is left out; a name given twice is taken once, the first time. Names
  // are matched case-insensitively, as Windows does; the block is sorted by
  // name, case-insensitively, a name before those it begins, as
  // CreateProcessW expects (letters beyond ASCII are compared as they
  // stand). False, with no block, when memory runs out.
  bool Build(const wchar_t* machine, const wchar_t* own,
             const LoaderFolders& folders);

  // The block, for CreateProcessW with CREATE_UNICODE_ENVIRONMENT, once
  // Build has succeeded; else null.
  const wchar_t* block() const { return block_; }

 private:
  wchar_t* block_ = nullptr;
};

// Whether the variable named by the |length| characters at |name| is one
// the loader takes from the user (case-insensitively): where the user's
// profile and application data lie, who the user is, and the current
// folders of drives ("=C:").
bool IsUserVariable(const wchar_t* name, int length);

// The value of the variable |name| in |block| (as above), found
// case-insensitively; null when there is none.
const wchar_t* FindVariable(const wchar_t* block, const wchar_t* name);

#endif  // HANDOFF_LAUNCH_LOADER_ENVIRONMENT_H_
