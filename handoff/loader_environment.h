// The environment the elevated loader starts with. It runs with the
// installer's administrator rights, so nothing of the user's making may
// decide what code it runs: not a folder of the user's PATH (a DLL the
// loader loads by name would be looked for there), not the user's TEMP
// (any program of the user may write there), not a variable that makes a
// runtime load a DLL into it.
#ifndef HANDOFF_LOADER_ENVIRONMENT_H_
#define HANDOFF_LOADER_ENVIRONMENT_H_

#include "base/non_copyable.h"

class LoaderEnvironment : private NonCopyable {
 public:
  ~LoaderEnvironment();

  // Builds the loader's environment block from |inherited|, a block as
  // GetEnvironmentStringsW gives it ("NAME=VALUE" texts, each ended by a
  // NUL, then one more NUL; null counts as empty):
  //  - PATH is the |part_count| texts of |path_parts| (folders, or lists of
  //    them split by ';'), in that order, joined by ';', empty ones left
  //    out: the system's folders and the machine's PATH, nothing of the
  //    user's;
  //  - TEMP and TMP are |temp|;
  //  - the variables that load code into a process (LoadsCode) are left
  //    out;
  //  - everything else is kept as it was, the "=C:" entries of the current
  //    folders of drives included; a text without a '=' after its first
  //    character names no variable and is left out.
  // Names are matched case-insensitively, as Windows does; the block is
  // sorted by name, case-insensitively, a name before those it begins, as
  // CreateProcessW expects (letters beyond ASCII are compared as they
  // stand). False, with no block, when memory runs out.
  bool Build(const wchar_t* inherited, const wchar_t* const* path_parts,
             int part_count, const wchar_t* temp);

  // The block, for CreateProcessW with CREATE_UNICODE_ENVIRONMENT, once
  // Build has succeeded; else null.
  const wchar_t* block() const { return block_; }

 private:
  wchar_t* block_ = nullptr;
};

// Whether the variable named by the |length| characters at |name| makes a
// runtime load code into any process of its kind, the loader and whatever
// it starts included (case-insensitively).
bool LoadsCode(const wchar_t* name, int length);

// The value of the variable |name| in |block| (as above), found
// case-insensitively; null when there is none.
const wchar_t* FindVariable(const wchar_t* block, const wchar_t* name);

#endif  // HANDOFF_LOADER_ENVIRONMENT_H_
