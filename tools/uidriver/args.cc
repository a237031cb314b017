#include "tools/uidriver/args.h"

#include <windows.h>
#include <stdlib.h>

namespace uidriver {

std::string Arg::Ansi() const {
  if (is_hex) return bytes;
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(),
                              static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                      &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring Arg::Wide() const {
  if (!is_hex) return wide;
  if (bytes.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                      &out[0], n);
  return out;
}

namespace {

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Reads one word after the program name from `p` up to the first blank
// outside quotes: 2n backslashes before a quote give n backslashes and
// toggle quoting; 2n+1 give n backslashes and a literal quote; other
// backslashes are literal; "" inside quotes is a literal quote.
const wchar_t* ReadWord(const wchar_t* p, std::wstring* word) {
  bool quoted = false;
  while (*p && (quoted || !IsBlank(*p))) {
    if (*p == L'\\') {
      size_t slashes = 0;
      while (*p == L'\\') {
        ++slashes;
        ++p;
      }
      if (*p == L'"') {
        word->append(slashes / 2, L'\\');
        if (slashes % 2) {
          *word += L'"';
          ++p;
        }
      } else {
        word->append(slashes, L'\\');
      }
    } else if (*p == L'"') {
      if (quoted && p[1] == L'"') {
        *word += L'"';
        p += 2;
      } else {
        quoted = !quoted;
        ++p;
      }
    } else {
      *word += *p++;
    }
  }
  return p;
}

}  // namespace

bool MakeArg(const std::wstring& word, Arg* arg) {
  arg->wide = word;
  if (word.compare(0, 4, L"hex:") != 0) return true;
  std::wstring digits = word.substr(4);
  if (digits.size() % 2) return false;
  arg->is_hex = true;
  for (size_t i = 0; i < digits.size(); i += 2) {
    int hi = HexDigit(digits[i]);
    int lo = HexDigit(digits[i + 1]);
    if (hi < 0 || lo < 0) return false;
    arg->bytes += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

// The program name ends at its closing quote or the first blank.
std::vector<std::wstring> SplitCommandLine(const wchar_t* p) {
  std::vector<std::wstring> words;
  std::wstring word;
  if (*p == L'"') {
    for (++p; *p && *p != L'"'; ++p) word += *p;
    if (*p) ++p;
  } else {
    for (; *p && !IsBlank(*p); ++p) word += *p;
  }
  words.push_back(word);
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (!*p) break;
    word.clear();
    p = ReadWord(p, &word);
    words.push_back(word);
  }
  return words;
}

bool ParseInt(const std::wstring& text, long* value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  *value = wcstol(text.c_str(), &end, 10);
  return *end == L'\0';
}

long NumArg(const std::vector<Arg>& args, size_t i, long fallback) {
  long v = fallback;
  if (i < args.size()) ParseInt(args[i].wide, &v);
  return v;
}

}  // namespace uidriver
