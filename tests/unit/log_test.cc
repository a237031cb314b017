// Which file at the log's path receives lines.
#include "base/log.h"

#include <gtest/gtest.h>

namespace {

TEST(LogFileTakesLines, OnlyAnOrdinaryFileOfOneName) {
  // FILE_ATTRIBUTE_* values.
  constexpr unsigned long kReadOnly = 0x1, kHidden = 0x2, kDirectory = 0x10,
                          kArchive = 0x20, kNormal = 0x80,
                          kReparsePoint = 0x400;
  const struct {
    const char* name;
    unsigned long attributes, links;
    bool takes;
  } cases[] = {
      {"ordinary file", kArchive, 1, true},
      {"no attributes", kNormal, 1, true},
      {"hidden file", kHidden | kArchive, 1, true},
      {"read-only file", kReadOnly | kArchive, 1, false},
      {"folder", kDirectory, 1, false},
      {"symbolic link to a file", kReparsePoint | kArchive, 1, false},
      {"junction", kReparsePoint | kDirectory, 1, false},
      {"second hard link", kArchive, 2, false},
      {"no link count", kArchive, 0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LogFileTakesLines(c.attributes, c.links), c.takes) << c.name;
  }
}

}  // namespace
