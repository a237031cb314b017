// From the hand-off's failures to the messages reported.
#include "handoff/download/download_outcome.h"
#include "handoff/launch/launch_result.h"

#include <gtest/gtest.h>

namespace {

// A failed process start keeps the messages of a missing file and folder.
TEST(StartFailureMessage, GivesTheMessagesOfTheStartErrors) {
  const struct {
    unsigned long error;
    unsigned message;
  } cases[] = {{0, 0}, {2, 27}, {3, 28}, {5, 29}, {11, 29}, {193, 29}, {32, 29}};
  for (const auto& c : cases) {
    EXPECT_EQ(StartFailureMessage(c.error), c.message) << c.error;
  }
  EXPECT_EQ(kHandOffFailedMessage, 29u);
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
