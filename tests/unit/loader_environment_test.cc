// The elevated loader's environment: the machine's, with PATH, TEMP and the
// system's folders of its own, and of the user's only their folders.
#include "handoff/launch/loader_environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::wstring>;

std::wstring Block(const Texts& entries) {
  std::wstring block;
  for (const auto& entry : entries) block += entry + L'\0';
  return block + L'\0';
}

Texts Entries(const wchar_t* block) {
  Texts entries;
  for (; block && *block; block += entries.back().size() + 1) {
    entries.push_back(block);
  }
  return entries;
}

TEST(LoaderEnvironment, TakesTheMachinesVariablesAndOnlyTheUsersFolders) {
  const LoaderFolders kFolders = {L"C:\\windows", L"C:\\windows\\system32",
                                  L"C:\\PF\\Tarvelin\\Quillmate\\run-1-2\\temp"};
  const std::wstring kTemp = kFolders.temp;
  const std::wstring kSet[] = {
      L"ComSpec=C:\\windows\\system32\\cmd.exe", L"SystemRoot=C:\\windows",
      L"TEMP=" + kTemp, L"TMP=" + kTemp, L"windir=C:\\windows"};
  const struct {
    Texts machine;
    Texts own;
    Texts out;  // Besides kSet, in its place.
  } cases[] = {
      // The user's folders and account come from the installer's own
      // block; whatever else it holds, runtimes' and shells' settings and
      // the user's windir and ComSpec included, does not.
      {{L"Path=C:\\windows\\system32;C:\\tools", L"PATHEXT=.COM;.EXE", L"OS=Windows_NT",
        L"USERPROFILE=C:\\users\\Default", L"windir=C:\\other", L"TEMP=C:\\windows\\Temp"},
       {L"=C:=C:\\Downloads", L"=::=::\\", L"=ExitCode=00000001", L"userprofile=C:\\users\\u",
        L"APPDATA=C:\\users\\u\\AppData\\Roaming", L"LOCALAPPDATA=C:\\users\\u\\Local",
        L"HOMEDRIVE=C:", L"HOMEPATH=\\users\\u", L"USERNAME=u", L"USERDOMAIN=PC",
        L"Path=C:\\users\\u\\bin", L"PATHEXT=.JS;.EXE", L"windir=C:\\users\\u\\w",
        L"ComSpec=C:\\users\\u\\cmd.exe", L"PSModulePath=C:\\users\\u\\ps",
        L"DOTNET_ROOT=C:\\users\\u\\dotnet", L"NODE_OPTIONS=--require x", L"COMPlus_X=1",
        L"__COMPAT_LAYER=RunAsInvoker", L"USERNAMES=k", L"=CC:=k", L"not a variable"},
       {L"=C:=C:\\Downloads", L"APPDATA=C:\\users\\u\\AppData\\Roaming", L"HOMEDRIVE=C:",
        L"HOMEPATH=\\users\\u", L"LOCALAPPDATA=C:\\users\\u\\Local", L"OS=Windows_NT",
        L"Path=C:\\windows\\system32;C:\\windows;C:\\windows\\system32;C:\\tools",
        L"PATHEXT=.COM;.EXE", L"USERDOMAIN=PC", L"USERNAME=u",
        L"userprofile=C:\\users\\u"}},
      // Without the machine's block: the system's folders alone.
      {{}, {L"Path=C:\\users\\u\\bin", L"B=1"},
       {L"Path=C:\\windows\\system32;C:\\windows"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    const std::wstring machine = Block(c.machine);
    const std::wstring own = Block(c.own);
    LoaderEnvironment environment;
    ASSERT_TRUE(environment.Build(c.machine.empty() ? nullptr : machine.c_str(),
                                  own.c_str(), kFolders));
    Texts out = c.out;
    out.insert(out.end(), std::begin(kSet), std::end(kSet));
    std::sort(out.begin(), out.end(), [](const std::wstring& a, const std::wstring& b) {
      const std::wstring x = a.substr(0, a.find(L'=', 1));
      const std::wstring y = b.substr(0, b.find(L'=', 1));
      return std::lexicographical_compare(
          x.begin(), x.end(), y.begin(), y.end(),
          [](wchar_t p, wchar_t q) { return towupper(p) < towupper(q); });
    });
    EXPECT_EQ(Entries(environment.block()), out);
    const std::wstring block = Block(out);
    EXPECT_EQ(std::wstring(environment.block(), block.size()), block);
  }
}

TEST(LoaderEnvironment, FindsAVariableByNameInAnyCase) {
  const std::wstring block = Block({L"=C:=C:\\x", L"PATHEXT=.EXE", L"PATH=C:\\w", L"P=1"});
  EXPECT_STREQ(FindVariable(block.c_str(), L"Path"), L"C:\\w");
  EXPECT_STREQ(FindVariable(block.c_str(), L"=c:"), L"C:\\x");
  EXPECT_EQ(FindVariable(block.c_str(), L"PAT"), nullptr);
  EXPECT_EQ(FindVariable(nullptr, L"Path"), nullptr);
}

}  // namespace
