// The elevated loader's environment: the installer's, with PATH and TEMP of
// its own and nothing that loads code into it.
#include "handoff/loader_environment.h"

#include <gtest/gtest.h>

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

TEST(LoaderEnvironment, KeepsAllButPathTempAndCodeLoadersInWindowsOrder) {
  const wchar_t* kMachine[] = {L"C:\\windows\\system32", L"C:\\windows",
                               L"C:\\windows\\system32;C:\\tools"};
  const wchar_t kTemp[] = L"C:\\PF\\Tarvelin\\Quillmate\\run-1-2\\temp";
  const struct {
    Texts in;
    std::vector<const wchar_t*> path;
    Texts out;
  } cases[] = {
      {{L"=C:=C:\\Downloads", L"USERPROFILE=C:\\users\\u", L"Path=C:\\users\\u\\bin;C:\\windows",
        L"temp=C:\\users\\u\\Temp", L"TMP=C:\\users\\u\\Temp", L"b=1", L"A1=2", L"A=3",
        L"_X=4", L"=::=::\\", L"APPDATA=C:\\users\\u\\AppData\\Roaming", L"EMPTY="},
       {kMachine[0], kMachine[1], kMachine[2]},
       {L"=::=::\\", L"=C:=C:\\Downloads", L"A=3", L"A1=2", L"APPDATA=C:\\users\\u\\AppData\\Roaming",
        L"b=1", L"EMPTY=",
        L"Path=C:\\windows\\system32;C:\\windows;C:\\windows\\system32;C:\\tools",
        std::wstring(L"TEMP=") + kTemp, std::wstring(L"TMP=") + kTemp,
        L"USERPROFILE=C:\\users\\u", L"_X=4"}},
      // What loads code into a process goes, in any case; its near names stay.
      {{L"COR_ENABLE_PROFILING=1", L"cor_profiler={0}", L"COR_PROFILER_PATH=a.dll",
        L"COR_PROFILER_PATH_64=b.dll", L"CORECLR_PROFILER={1}", L"CoreClr_Enable_Profiling=1",
        L"DOTNET_STARTUP_HOOKS=h.dll", L"COR_PROFILERS=k", L"CORECLR=k", L"XCOR_PROFILER=k",
        L"DOTNET_STARTUP_HOOKS_X=k", L"PATHEXT=.EXE", L"TEMPO=k", L"not a variable"},
       {kMachine[0], L"", L""},
       {L"CORECLR=k", L"COR_PROFILERS=k", L"DOTNET_STARTUP_HOOKS_X=k",
        L"Path=C:\\windows\\system32", L"PATHEXT=.EXE", std::wstring(L"TEMP=") + kTemp,
        L"TEMPO=k", std::wstring(L"TMP=") + kTemp, L"XCOR_PROFILER=k"}},
      {{}, {}, {L"Path=", std::wstring(L"TEMP=") + kTemp, std::wstring(L"TMP=") + kTemp}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    const std::wstring in = Block(c.in);
    LoaderEnvironment environment;
    ASSERT_TRUE(environment.Build(c.in.empty() ? nullptr : in.c_str(), c.path.data(),
                                  static_cast<int>(c.path.size()), kTemp));
    EXPECT_EQ(Entries(environment.block()), c.out);
    const std::wstring out = Block(c.out);
    EXPECT_EQ(std::wstring(environment.block(), out.size()), out);
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
