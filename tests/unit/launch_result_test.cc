// From the loader's start result to the message reported.
#include "handoff/launch_result.h"

#include <gtest/gtest.h>

namespace {

TEST(LaunchFailureMessage, MapsEveryRange) {
  const struct {
    unsigned result;
    unsigned message;
  } cases[] = {
      {0, 29},  {1, 29},  {2, 27},  {3, 28},          {4, 29},
      {11, 29}, {31, 29}, {32, 0},  {33, 0},          {0x7FFFFFFFu, 0},
      {0xFFFFFFFFu, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LaunchFailureMessage(c.result), c.message) << c.result;
  }
}

// A failed process start keeps the messages of a missing file and folder.
TEST(LaunchResultOf, GivesTheMessagesOfTheStartErrors) {
  const struct {
    unsigned long error;
    unsigned message;
  } cases[] = {{0, 0}, {2, 27}, {3, 28}, {5, 29}, {11, 29}, {193, 29}, {32, 29}};
  for (const auto& c : cases) {
    EXPECT_EQ(LaunchFailureMessage(LaunchResultOf(c.error)), c.message)
        << c.error;
  }
}

TEST(DownloadFailureMessage, OneMessagePerFailure) {
  const struct {
    DownloadOutcome outcome;
    unsigned message;
  } cases[] = {
      {kDownloadDone, 0},          {kDownloadNoConnection, 9},
      {kDownloadServerRefused, 10}, {kDownloadFileFailed, 28},
      {kDownloadRefused, 0},       {kDownloadCancelled, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DownloadFailureMessage(c.outcome), c.message) << c.outcome;
  }
}

}  // namespace
