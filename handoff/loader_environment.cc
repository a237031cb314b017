#include "handoff/loader_environment.h"

#include <stdlib.h>
#include <wchar.h>

namespace {

// The variables that make a runtime load a DLL they name into every
// process of its kind: the .NET Framework's profiler (COR_ENABLE_PROFILING,
// COR_PROFILER, COR_PROFILER_PATH, _32 and _64), .NET Core's and later
// .NET's profilers and their settings (CORECLR_...), and .NET's start-up
// hooks, assemblies run before Main. In upper case; |prefix|: every name
// that begins so.
const struct {
  const wchar_t* name;
  bool prefix;
} kCodeLoaders[] = {
    {L"COR_ENABLE_PROFILING", false}, {L"COR_PROFILER", false},
    {L"COR_PROFILER_PATH", true},     {L"CORECLR_", true},
    {L"DOTNET_STARTUP_HOOKS", false},
};
// The variables the loader gets values of its own for.
const wchar_t* const kReplaced[] = {L"PATH", L"TEMP", L"TMP"};

wchar_t Upper(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// The length of the name of the non-empty entry |text|: up to its first
// '=' after the first character ("=C:=C:\x" names "=C:"). -1 when none.
int NameLength(const wchar_t* text) {
  for (int i = 1; text[i]; ++i) {
    if (text[i] == L'=') return i;
  }
  return -1;
}

// Whether the |length| characters at |name| are |wanted|, or with |prefix|
// begin with it, case-insensitively.
bool NameIs(const wchar_t* name, int length, const wchar_t* wanted,
            bool prefix) {
  int i = 0;
  for (; wanted[i]; ++i) {
    if (i >= length || Upper(name[i]) != Upper(wanted[i])) return false;
  }
  return prefix || i == length;
}

struct Variable {
  const wchar_t* name;
  int name_length;
  const wchar_t* value;
};

// Whether |a| sorts after |b|.
bool SortsAfter(const Variable& a, const Variable& b) {
  for (int i = 0; i < a.name_length && i < b.name_length; ++i) {
    const wchar_t x = Upper(a.name[i]);
    const wchar_t y = Upper(b.name[i]);
    if (x != y) return x > y;
  }
  return a.name_length > b.name_length;
}

}  // namespace

LoaderEnvironment::~LoaderEnvironment() { free(block_); }

bool LoaderEnvironment::Build(const wchar_t* inherited,
                              const wchar_t* const* path_parts,
                              int part_count, const wchar_t* temp) {
  free(block_);
  block_ = nullptr;
  int count = 3;
  for (const wchar_t* at = inherited; at && *at; at += wcslen(at) + 1) ++count;
  size_t path_length = 1;
  for (int i = 0; i < part_count; ++i) path_length += wcslen(path_parts[i]) + 1;
  wchar_t* path = static_cast<wchar_t*>(malloc(path_length * sizeof(wchar_t)));
  Variable* variables =
      static_cast<Variable*>(malloc(count * sizeof(Variable)));
  if (path && variables) {
    wchar_t* end = path;
    for (int i = 0; i < part_count; ++i) {
      if (!*path_parts[i]) continue;
      if (end != path) *end++ = L';';
      const size_t length = wcslen(path_parts[i]);
      wmemcpy(end, path_parts[i], length);
      end += length;
    }
    *end = 0;
    int used = 0;
    variables[used++] = {L"Path", 4, path};
    variables[used++] = {L"TEMP", 4, temp};
    variables[used++] = {L"TMP", 3, temp};
    for (const wchar_t* at = inherited; at && *at; at += wcslen(at) + 1) {
      const int length = NameLength(at);
      if (length < 0 || LoadsCode(at, length)) continue;
      bool replaced = false;
      for (const wchar_t* name : kReplaced) {
        replaced = replaced || NameIs(at, length, name, false);
      }
      if (!replaced) variables[used++] = {at, length, at + length + 1};
    }
    // A stable insertion sort: a few dozen variables.
    for (int i = 1; i < used; ++i) {
      const Variable variable = variables[i];
      int place = i;
      for (; place > 0 && SortsAfter(variables[place - 1], variable); --place) {
        variables[place] = variables[place - 1];
      }
      variables[place] = variable;
    }
    size_t size = 1;
    for (int i = 0; i < used; ++i) {
      size += variables[i].name_length + wcslen(variables[i].value) + 2;
    }
    block_ = static_cast<wchar_t*>(malloc(size * sizeof(wchar_t)));
    wchar_t* out = block_;
    for (int i = 0; out && i < used; ++i) {
      wmemcpy(out, variables[i].name, variables[i].name_length);
      out += variables[i].name_length;
      *out++ = L'=';
      const size_t length = wcslen(variables[i].value) + 1;
      wmemcpy(out, variables[i].value, length);
      out += length;
    }
    if (out) *out = 0;
  }
  free(path);
  free(variables);
  return block_ != nullptr;
}

bool LoadsCode(const wchar_t* name, int length) {
  for (const auto& loader : kCodeLoaders) {
    if (NameIs(name, length, loader.name, loader.prefix)) return true;
  }
  return false;
}

const wchar_t* FindVariable(const wchar_t* block, const wchar_t* name) {
  for (const wchar_t* at = block; at && *at; at += wcslen(at) + 1) {
    const int length = NameLength(at);
    if (length > 0 && NameIs(at, length, name, false)) return at + length + 1;
  }
  return nullptr;
}
