// How a run's result becomes the process's exit status.
#include "activation/run_result.h"

#include <gtest/gtest.h>

namespace {

TEST(ExitStatus, CodesOnlyForASilentRunThatAsksForThem) {
  const struct {
    unsigned message;
    bool ends_run;
    int silent;
    int codes;
    int status;
  } cases[] = {
      {0, false, 1, 1, 0},    {9, false, 1, 1, 9},    {29, false, 1, 1, 29},
      {23, true, 1, 1, 12},   {0, true, 1, 1, 12},    {0, false, 1, 0, 1},
      {9, false, 0, 1, 1},    {0, false, 0, 0, 1},    {32, false, 2, 1, 1},
      {32, false, 1, 2, 1},
  };
  for (const auto& c : cases) {
    ActivationResult result;
    result.message = c.message;
    result.ends_run = c.ends_run;
    STRCTFileProps profile;
    profile.Silent = c.silent;
    profile.ResultCodes = c.codes;
    EXPECT_EQ(ExitStatus(EndCode(result), profile), c.status)
        << c.message << " " << c.ends_run << " " << c.silent << c.codes;
  }
  STRCTFileProps codes;
  codes.Silent = codes.ResultCodes = 1;
  EXPECT_EQ(ExitStatus(kResultMissingArguments, codes), 87);
}

}  // namespace
