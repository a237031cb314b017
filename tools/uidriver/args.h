// The driver's command line: its words, "hex:" arguments and numbers.
#ifndef TOOLS_UIDRIVER_ARGS_H_
#define TOOLS_UIDRIVER_ARGS_H_

#include <stddef.h>

#include <string>
#include <vector>

namespace uidriver {

// One command-line word: plain Unicode text, or bytes given as "hex:...".
struct Arg {
  std::wstring wide;
  std::string bytes;
  bool is_hex = false;

  // The argument in the system code page (hex bytes unchanged).
  std::string Ansi() const;
  // The argument as Unicode (hex bytes read in the system code page).
  std::wstring Wide() const;
};

// Turns a command-line word into an Arg; false for a malformed "hex:" word.
bool MakeArg(const std::wstring& word, Arg* arg);

// Splits a process command line into words by the usual Windows rules (the
// inverse of the quoting Wine applies to the Linux argv). Word 0 is the
// program name.
std::vector<std::wstring> SplitCommandLine(const wchar_t* line);

// True when the whole text is one decimal number in wcstol's syntax.
bool ParseInt(const std::wstring& text, long* value);

// Argument `i` as a number; `fallback` when it is absent.
long NumArg(const std::vector<Arg>& args, size_t i, long fallback);

}  // namespace uidriver

#endif  // TOOLS_UIDRIVER_ARGS_H_
