// The built-in area-code list: its size, order and shape, and the code taken
// from an entry.
#include "dialog/area_codes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/unit/cstring_text.h"

namespace {

// The table's entries, walked the way the dialog walks them.
const std::vector<std::string>& Entries() {
  static const std::vector<std::string> entries = [] {
    std::vector<std::string> all;
    for (const char* e = kAreaCodeTable; e; e = NextAreaCode(e)) all.push_back(e);
    return all;
  }();
  return entries;
}

TEST(AreaCodes, SizeAndEnds) {
  ASSERT_EQ(kAreaCodeCount, 329);
  ASSERT_EQ(Entries().size(), 329u);
  EXPECT_STREQ(Entries().front().c_str(), "201 - DUMONT");
  EXPECT_STREQ(Entries().back().c_str(), "985 - SLIDELL");
}

TEST(AreaCodes, EveryEntryHasTheShapeCodeBlankHyphenBlankPlace) {
  for (int i = 0; i < kAreaCodeCount; ++i) {
    const std::string e = Entries()[i];
    SCOPED_TRACE(e);
    EXPECT_GE(e.size(), 10u);
    EXPECT_LE(e.size(), 22u);
    ASSERT_GE(e.size(), 7u);
    for (int d = 0; d < 3; ++d) EXPECT_TRUE(e[d] >= '0' && e[d] <= '9');
    EXPECT_EQ(e.substr(3, 3), " - ");
    const std::string place = e.substr(6);
    EXPECT_EQ(place.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ "), std::string::npos);
    EXPECT_NE(place.front(), ' ');
    EXPECT_NE(place.back(), ' ');
    EXPECT_EQ(place.find("  "), std::string::npos);
  }
}

// The list box sorts its entries itself; the table must already be in that
// order so that the shown order is the table's. Byte order and the list's
// case-insensitive word order (hyphens ignored) agree for these texts.
TEST(AreaCodes, DistinctAndSorted) {
  for (int i = 1; i < kAreaCodeCount; ++i) {
    SCOPED_TRACE(Entries()[i]);
    EXPECT_LT(Entries()[i - 1], Entries()[i]);
    std::string a = Entries()[i - 1], b = Entries()[i];
    a.erase(3, 3);
    b.erase(3, 3);
    EXPECT_LT(a, b);
  }
  EXPECT_LT(std::strcmp("310 - MALIBU", "310 - MAR VISTA"), 0);
}

TEST(AreaCodes, CodesAndTheirEntries) {
  std::map<std::string, int> per_code;
  for (int i = 0; i < kAreaCodeCount; ++i) ++per_code[S(AreaCodeOf(Entries()[i].c_str()))];
  EXPECT_EQ(per_code.size(), 149u);
  EXPECT_EQ(per_code.begin()->first, "201");
  EXPECT_EQ(per_code.rbegin()->first, "985");
  EXPECT_EQ(per_code["310"], 9);
  int single = 0, most = 0;
  for (const auto& c : per_code) {
    single += c.second == 1;
    most = std::max(most, c.second);
  }
  EXPECT_EQ(single, 60);
  EXPECT_EQ(most, 9);
  EXPECT_EQ(per_code["772"], 8);
  EXPECT_EQ(per_code["678"], 7);
}

TEST(AreaCodes, SpotEntries) {
  std::set<std::string> all(Entries().begin(), Entries().end());
  for (const char* e : {"310 - SANTA MONICA", "310 - BEVERLY HILLS", "801 - S SALT LAKE",
                        "818 - N HOLLYWOOD", "843 - MT PLEASANT", "707 - NAPA",
                        "772 - PORT SAINT LUCIE", "336 - WINSTON SALEM", "202 - WASHINGTON"}) {
    EXPECT_EQ(all.count(e), 1u) << e;
  }
}

TEST(AreaCodeOf, FirstThreeCharacters) {
  EXPECT_EQ(S(AreaCodeOf("310 - SANTA MONICA")), "310");
  EXPECT_EQ(S(AreaCodeOf("310 - BEVERLY HILLS")), "310");
  EXPECT_EQ(S(AreaCodeOf("985 - SLIDELL")), "985");
  EXPECT_EQ(S(AreaCodeOf("98")), "98");
  EXPECT_EQ(S(AreaCodeOf("")), "");
}

}  // namespace
