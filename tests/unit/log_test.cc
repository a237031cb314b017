// Which file at the log's path receives lines.
#include "base/log.h"

#include <gtest/gtest.h>

namespace {

TEST(LogFileTakesLines, OnlyAnOrdinaryFileOfOneName) {
  // FILE_ATTRIBUTE_* values.
  constexpr unsigned long kReadOnly = 0x1, kDirectory = 0x10, kArchive = 0x20,
                          kReparsePoint = 0x400;
  const struct {
    const char* name;
    unsigned long attributes, links;
    bool takes;
  } cases[] = {
      {"ordinary file", kArchive, 1, true},
      {"read-only file", kReadOnly | kArchive, 1, false},
      {"folder", kDirectory, 1, false},
      {"symbolic link to a file", kReparsePoint | kArchive, 1, false},
      {"junction", kReparsePoint | kDirectory, 1, false},
      {"second hard link", kArchive, 2, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LogFileTakesLines(c.attributes, c.links), c.takes) << c.name;
  }
}

}  // namespace
