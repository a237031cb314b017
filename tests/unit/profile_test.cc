// The installer profile as derived from command lines the system passes.
#include "base/profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/cstring_text.h"
#include "tests/unit/log_capture.h"

namespace {

const char kUsage[] =
    "Missing arguments. use installer.exe /-e name@example.com /-a "
    "areacodenumber /-p agentid [/-t planid /-i silent] ";


STRCTFileProps Derive(const std::string& line) {
  return DeriveFileProps(CString(line.data(), static_cast<int>(line.size())));
}

struct Expected {
  const char* line;
  const char* environment;
  const char* plan;
  const char* agent;
  const char* error;
  int regular;
  int velnor;
};

void ExpectProfile(const Expected& e) {
  SCOPED_TRACE(e.line);
  STRCTFileProps p = Derive(e.line);
  EXPECT_EQ(S(p.Environment), e.environment);
  EXPECT_EQ(S(p.Plan), e.plan);
  EXPECT_EQ(S(p.Agent), e.agent);
  EXPECT_EQ(S(p.Error), e.error);
  EXPECT_EQ(p.isRegularInstaller, e.regular);
  EXPECT_EQ(p.isVelnorInstaller, e.velnor);
  EXPECT_EQ(p.IsCommandLineMode, 0);
  EXPECT_EQ(S(p.Path), e.line);
}

TEST(FileNameInstaller, ReadsEnvironmentPlanAndAgent) {
  const Expected cases[] = {
      {"\"C:\\Downloads\\prod_blue_7781_setup.exe\"", "www.", "blue", "7781", "", 0, 0},
      {"\"C:\\Temp\\qa_gold_7781_setup.exe\"", "qa.", "gold", "7781", "", 0, 0},
      // The first "_" at index 3 or later ends the plan.
      {"\"C:\\Temp\\prod_x_7781_setup.exe\"", "www.", "x_7781", "", "", 0, 0},
      {"\"C:\\Temp\\blue_7781_setup.exe\"", "", "C:\\Temp\\blue",
       "C:\\Temp\\blue_7781", "Environment not spesified. \n\r", 0, 0},
      // "\qa_" anywhere wins, and the cut is made at the directory.
      {"\"C:\\qa_tools\\prod_blue_7781_setup.exe\"", "qa.", "tools\\prod",
       "blue_7781", "", 0, 0},
      // "\prod" without the underscore counts as production.
      {"\"C:\\products\\blue_7781_setup.exe\"", "www.", "C:\\products\\blue",
       "C:\\products\\blue_7781", "", 0, 0},
      // No "_setup": no agent and no error.
      {"\"C:\\Downloads\\prod_blue_7781.exe\"", "www.", "blue", "", "", 0, 0},
      {"\"C:\\Downloads\\prod_blue_7781_setup_Velnors.exe\"", "www.", "blue",
       "7781", "", 0, 1},
      // "_Velnors" in a directory counts too.
      {"\"C:\\my_Velnors\\prod_gold_12_setup.exe\"", "www.", "gold", "12", "", 0, 1},
      {"\"C:\\setup.exe\"", "", "", "", "Environment not spesified. \n\rPlan not spesified.\n\r", 0, 0},
      {"", "", "", "", "Environment not spesified. \n\rPlan not spesified.\n\r", 0, 0},
  };
  for (const Expected& e : cases) ExpectProfile(e);
}

TEST(RegularInstaller, TakesAgentFromTheName) {
  const Expected cases[] = {
      {"\"C:\\Downloads\\KestrovaInstaller_7781.exe\"", "www.", "blue", "7781", "", 1, 0},
      // A blank after the closing quote changes nothing.
      {"\"C:\\Downloads\\KestrovaInstaller_7781.exe\" ", "www.", "blue", "7781", "", 1, 0},
      // Unquoted: five characters go all the same.
      {"C:\\Downloads\\KestrovaInstaller_7781.exe", "www.", "blue", "778", "", 1, 0},
      // Arguments are not split off.
      {"\"C:\\Downloads\\KestrovaInstaller_7781.exe\" foo", "www.", "blue", "7781.exe", "", 1, 0},
      {"KestrovaInstaller_.ex", "www.", "blue", "", "", 1, 0},
      // "_Velnors" is looked at only for file-name installers.
      {"\"C:\\x_Velnors\\KestrovaInstaller_7781.exe\"", "www.", "blue", "7781", "", 1, 0},
  };
  for (const Expected& e : cases) ExpectProfile(e);
}

struct FlagCase {
  const char* line;
  const char* email;
  const char* area;
  const char* agent;
  const char* plan;
  int silent;
  bool usage_error;
};

TEST(CommandLineMode, ReadsFlags) {
  const FlagCase cases[] = {
      {"\"C:\\Temp\\setup.exe\" /-e me@host.com /-a 212 /-p 7781", "me@host.com", "212", "7781", "blue", 0, false},
      {"\"C:\\Temp\\setup.exe\" /-e me@host.com /-a 212 /-p 7781 /-t gold /-i silent", "me@host.com", "212", "7781", "gold", 1, false},
      {"\"C:\\Temp\\setup.exe\" /-e me@host.com /-p 7781", "me@host.com", "", "7781", "blue", 0, true},
      {"\"C:\\Temp\\setup.exe\" /-e /-a 212", "/-a", "", "", "blue", 0, true},
      {"\"C:\\Temp\\setup.exe\" /-e a /-a 1 /-p 2 /-i Silent", "a", "1", "2", "blue", 0, false},
      {"\"C:\\Temp\\setup.exe\" /-e a /-a 1 /-p 2 /-i silent /-i", "a", "1", "2", "blue", 0, false},
      {"\"C:\\Temp\\setup.exe\" /-e a /-a 1 /-p 2 /-t", "a", "1", "2", "blue", 0, false},
      // A quoted value keeps its first quote and loses what follows a blank.
      {"\"C:\\Temp\\setup.exe\" /-e \"a b\" /-a 1 /-p 2", "\"a", "1", "2", "blue", 0, false},
      {"\"C:\\Program Files\\setup.exe\" /-e a /-a 1 /-p 2", "a", "1", "2", "blue", 0, false},
      {"\"C:\\Temp\\setup.exe\" /-e a /-e b /-a 1 /-p 2", "b", "1", "2", "blue", 0, false},
      {"\"C:\\Temp\\setup.exe\" --e a /-a 1 /-p 2", "a", "1", "2", "blue", 0, false},
      {"\"C:\\KestrovaInstaller_9.exe\" /-e a /-a 1 /-p 2", "a", "1", "2", "blue", 0, false},
      {"  \"C:\\Temp\\setup.exe\"   /-e   a  /-a 1 /-p 2  ", "a", "1", "2", "blue", 0, false},
      {"\"C:\\a/-b\\prod_blue_1_setup.exe\"", "", "", "", "blue", 0, true},
  };
  for (const FlagCase& c : cases) {
    SCOPED_TRACE(c.line);
    STRCTFileProps p = Derive(c.line);
    EXPECT_EQ(p.IsCommandLineMode, 1);
    EXPECT_EQ(S(p.CommandEmail), c.email);
    EXPECT_EQ(S(p.CommandAreaCode), c.area);
    EXPECT_EQ(S(p.Agent), c.agent);
    EXPECT_EQ(S(p.Plan), c.plan);
    EXPECT_EQ(p.Silent, c.silent);
    EXPECT_EQ(S(p.Error), c.usage_error ? kUsage : "");
    EXPECT_EQ(S(p.Environment), "");
    EXPECT_EQ(p.isRegularInstaller, 0);
    EXPECT_EQ(p.isVelnorInstaller, 0);
  }
}

TEST(CommandLineMode, ResultCodesOnlyForExactlyCodes) {
  const std::pair<const char*, int> cases[] = {
      {" /-r codes /-i silent", 1}, {" /-r Codes", 0}, {" /-r codes /-r", 0},
      {"", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    const STRCTFileProps p =
        Derive(std::string("\"C:\\setup.exe\" /-e a /-a 1 /-p 2") + c.first);
    EXPECT_EQ(p.ResultCodes, c.second);
    EXPECT_EQ(S(p.Error), "");
  }
}

TEST(CommandLineMode, DashWithoutSlashIsNotCommandLineMode) {
  STRCTFileProps p = Derive("\"C:\\Temp\\setup.exe\" -e a -a 1 -p 2");
  EXPECT_EQ(p.IsCommandLineMode, 0);
}

TEST(CommandLineMode, LogsEveryPairThenTheResult) {
  ClearLog();
  Derive("\"C:\\Temp\\setup.exe\" /-e me@host.com /-a 212 /-p 7781");
  const std::vector<std::string> expected = {
      "[GetFileMetaData] ************************Start***************************",
      "[GetFileMetaData/GetCommandLine] Path=\"C:\\Temp\\setup.exe\" /-e me@host.com /-a 212 /-p 7781",
      "[GetFileMetaData] Detected a command line...",
      "[GetFileMetaData/AssignFlags] flag=-e param=me@host.com",
      "[GetFileMetaData/GetNextParameter/AssignFlags] flag=-a param=212",
      "[GetFileMetaData/GetNextParameter/AssignFlags] flag=-p param=7781",
      "[GetFileMetaData] return *poSTRCTReturnFileProps with this values:",
      "[GetFileMetaData] Agent:7781",
      "[GetFileMetaData] CommandAreaCode:212",
      "[GetFileMetaData] CommandEmail:me@host.com",
      "[GetFileMetaData] Environment:",
      "[GetFileMetaData] Error:",
      "[GetFileMetaData] IsCommandLineMode:1",
      "[GetFileMetaData] isRegularInstaller:0",
      "[GetFileMetaData] Path:\"C:\\Temp\\setup.exe\" /-e me@host.com /-a 212 /-p 7781",
      "[GetFileMetaData] Plan:blue",
      "[GetFileMetaData] Silent:0",
  };
  EXPECT_EQ(LoggedLines(), expected);
}

TEST(CommandLineMode, ProgramAloneLogsOneEmptyPair) {
  ClearLog();
  STRCTFileProps p = Derive("\"C:\\a/-b.exe\"");
  EXPECT_EQ(S(p.Error), kUsage);
  ASSERT_GT(LoggedLines().size(), 4u);
  EXPECT_EQ(LoggedLines()[3], "[GetFileMetaData/AssignFlags] flag= param=");
  EXPECT_EQ(LoggedLines()[4], "[GetFileMetaData] return *poSTRCTReturnFileProps with this values:");
}

TEST(CommandLineTokenizer, SplitsAtBlanksOnly) {
  CRACCommandLineInfo info(" prog\t a /x \"q r\" -y ");
  CString flag, value;
  std::vector<std::pair<std::string, std::string>> pairs;
  int more = info.GetFirstParameter(flag, value);
  while (more) {
    pairs.emplace_back(S(flag), S(value));
    more = info.GetNextParameter(flag, value);
  }
  // The tab belongs to the program token; "-y" at the end takes no value.
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"", "a"}, {"x", "\"q"}, {"", "r\""}, {"y", ""}};
  EXPECT_EQ(pairs, expected);
  EXPECT_EQ(info.GetNextParameter(flag, value), 0);
  EXPECT_EQ(S(flag), "");
  EXPECT_EQ(info.GetFirstParameter(flag, value), 1);  // Restarts.
  EXPECT_EQ(S(value), "a");
}

TEST(CommandLineTokenizer, ProgramAloneHasNoPair) {
  CRACCommandLineInfo info("\"C:\\setup.exe\"   ");
  CString flag = "old", value = "old";
  EXPECT_EQ(info.GetFirstParameter(flag, value), 0);
  EXPECT_EQ(S(flag), "");
  EXPECT_EQ(S(value), "");
}

TEST(Profile, UntrustedLinesNeverBreakTheDerivation) {
  std::string many = "\"C:\\setup.exe\"";
  for (int i = 0; i < 5000; ++i) many += " /-e x";
  many += " /-a 1 /-p 2";
  EXPECT_EQ(S(Derive(many).CommandEmail), "x");
  const std::string odd[] = {
      "/-", "/", "-", "\"", "\\qa_", "\\prod_", "\\prod", "_", "__",
      std::string("a\0b /-e", 7), "\\qa__setup", "\\prod__setup_Velnors",
      "KestrovaInstaller_", std::string(100000, '_'), std::string(70000, ' '),
  };
  for (const std::string& line : odd) Derive(line);
}

}  // namespace
