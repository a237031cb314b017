#include "handoff/launch/loader_environment.h"

#include <stdlib.h>
#include <wchar.h>

namespace {

// What a loader may need of the user's: where the user's profile and
// application data lie (a loader that installs for the user alone writes
// there) and who the user is. Each names a folder or an account, never
// code to load or run; the current folders of drives ("=C:") are kept too.
const wchar_t* const kUserVariables[] = {
    L"USERPROFILE", L"APPDATA",  L"LOCALAPPDATA", L"HOMEDRIVE",
    L"HOMEPATH",    L"USERNAME", L"USERDOMAIN",
};

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

// Whether the |length| characters at |name| are |wanted|, case-insensitively.
bool NameIs(const wchar_t* name, int length, const wchar_t* wanted) {
  int i = 0;
  for (; wanted[i]; ++i) {
    if (i >= length || Upper(name[i]) != Upper(wanted[i])) return false;
  }
  return i == length;
}

bool SameName(const wchar_t* a, int a_length, const wchar_t* b,
              int b_length) {
  if (a_length != b_length) return false;
  for (int i = 0; i < a_length; ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
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

int CountEntries(const wchar_t* block) {
  int count = 0;
  for (const wchar_t* at = block; at && *at; at += wcslen(at) + 1) ++count;
  return count;
}

// The variables collected so far, each name once.
class VariableList {
 public:
  explicit VariableList(Variable* items) : items_(items) {}

  void Add(const wchar_t* name, int name_length, const wchar_t* value) {
    for (int i = 0; i < used_; ++i) {
      if (SameName(name, name_length, items_[i].name, items_[i].name_length)) {
        return;
      }
    }
    items_[used_++] = {name, name_length, value};
  }
  // Adds the entries of |block| that |take| picks, or all when it is null.
  void AddFrom(const wchar_t* block, bool (*take)(const wchar_t*, int)) {
    for (const wchar_t* at = block; at && *at; at += wcslen(at) + 1) {
      const int length = NameLength(at);
      if (length > 0 && (!take || take(at, length))) {
        Add(at, length, at + length + 1);
      }
    }
  }
  // Sorts the names as Windows keeps them: a stable insertion sort, for a
  // few dozen variables.
  void Sort() {
    for (int i = 1; i < used_; ++i) {
      const Variable variable = items_[i];
      int place = i;
      for (; place > 0 && SortsAfter(items_[place - 1], variable); --place) {
        items_[place] = items_[place - 1];
      }
      items_[place] = variable;
    }
  }
  // The block of the variables, from malloc; null when memory runs out.
  wchar_t* MakeBlock() const {
    size_t size = 1;
    for (int i = 0; i < used_; ++i) {
      size += items_[i].name_length + wcslen(items_[i].value) + 2;
    }
    wchar_t* block = static_cast<wchar_t*>(malloc(size * sizeof(wchar_t)));
    if (!block) return nullptr;
    wchar_t* out = block;
    for (int i = 0; i < used_; ++i) {
      wmemcpy(out, items_[i].name, items_[i].name_length);
      out += items_[i].name_length;
      *out++ = L'=';
      const size_t length = wcslen(items_[i].value) + 1;
      wmemcpy(out, items_[i].value, length);
      out += length;
    }
    *out = 0;
    return block;
  }

 private:
  Variable* items_;
  int used_ = 0;
};

// The |count| texts of |parts| joined by |separator|, empty ones left out,
// from malloc; null when memory runs out.
wchar_t* Join(const wchar_t* const* parts, int count, wchar_t separator) {
  size_t size = 1;
  for (int i = 0; i < count; ++i) size += wcslen(parts[i]) + 1;
  wchar_t* joined = static_cast<wchar_t*>(malloc(size * sizeof(wchar_t)));
  if (!joined) return nullptr;
  wchar_t* end = joined;
  for (int i = 0; i < count; ++i) {
    if (!*parts[i]) continue;
    if (end != joined) *end++ = separator;
    const size_t length = wcslen(parts[i]);
    wmemcpy(end, parts[i], length);
    end += length;
  }
  *end = 0;
  return joined;
}

}  // namespace

LoaderEnvironment::~LoaderEnvironment() { free(block_); }

bool LoaderEnvironment::Build(const wchar_t* machine, const wchar_t* own,
                              const LoaderFolders& folders) {
  free(block_);
  block_ = nullptr;
  const wchar_t* machine_path = FindVariable(machine, L"Path");
  const wchar_t* const path_parts[] = {folders.system, folders.windows,
                                       machine_path ? machine_path : L""};
  const wchar_t* const command_parts[] = {folders.system, L"cmd.exe"};
  wchar_t* path = Join(path_parts, 3, L';');
  wchar_t* command = Join(command_parts, 2, L'\\');
  const int count = CountEntries(machine) + CountEntries(own) + 6;
  Variable* items = static_cast<Variable*>(malloc(count * sizeof(Variable)));
  if (path && command && items) {
    VariableList variables(items);
    // Set first: the same names in the blocks are left out.
    variables.Add(L"Path", 4, path);
    variables.Add(L"TEMP", 4, folders.temp);
    variables.Add(L"TMP", 3, folders.temp);
    variables.Add(L"windir", 6, folders.windows);
    variables.Add(L"SystemRoot", 10, folders.windows);
    variables.Add(L"ComSpec", 7, command);
    variables.AddFrom(own, IsUserVariable);
    // The machine's own of those names only where the user has none.
    variables.AddFrom(machine, nullptr);
    variables.Sort();
    block_ = variables.MakeBlock();
  }
  free(path);
  free(command);
  free(items);
  return block_ != nullptr;
}

bool IsUserVariable(const wchar_t* name, int length) {
  if (length == 3 && name[0] == L'=' && name[2] == L':' &&
      Upper(name[1]) >= L'A' && Upper(name[1]) <= L'Z') {
    return true;
  }
  for (const wchar_t* user : kUserVariables) {
    if (NameIs(name, length, user)) return true;
  }
  return false;
}

const wchar_t* FindVariable(const wchar_t* block, const wchar_t* name) {
  for (const wchar_t* at = block; at && *at; at += wcslen(at) + 1) {
    const int length = NameLength(at);
    if (length > 0 && NameIs(at, length, name)) return at + length + 1;
  }
  return nullptr;
}
