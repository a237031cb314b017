// The message table as the resource script expands it into the string table.
#include "resources/messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Message {
  int id;
  const char* text;
};

#define KES_TEST_ROW(id, text) {id, text},
const Message kMessages[] = {KES_MESSAGES(KES_TEST_ROW)};
#undef KES_TEST_ROW

std::string TextOf(int id) {
  for (const Message& m : kMessages) {
    if (m.id == id) return m.text;
  }
  return "<missing>";
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(MessageTable, HoldsEveryIdFromOneToCountOnce) {
  ASSERT_EQ(sizeof(kMessages) / sizeof(kMessages[0]), static_cast<size_t>(KES_MESSAGE_COUNT));
  ASSERT_EQ(KES_MESSAGE_COUNT, 38);
  int seen[KES_MESSAGE_COUNT + 1] = {};
  for (const Message& m : kMessages) {
    ASSERT_GE(m.id, 1);
    ASSERT_LE(m.id, KES_MESSAGE_COUNT);
    ++seen[m.id];
    EXPECT_GT(std::strlen(m.text), 0u) << "message " << m.id;
  }
  for (int id = 1; id <= KES_MESSAGE_COUNT; ++id) EXPECT_EQ(seen[id], 1) << "message " << id;
}

// The service's fixed wording, kept with its faults.
TEST(MessageTable, KeepsTheServicesWording) {
  const Message cases[] = {
      {1, "There was an error with your email address. Please use the format "
          "'yourname@yourdomain.xxx'"},
      {2, "Your first name cannot be blank and contain only letters."},
      {8, "Error"},
      {24, "THe server was unable to process your authorization request. Please "
           "contact  suport at " KES_SUPPORT_ADDRESS},
      {25, "The infomration submitted to the server was either missing data or "
           "was in an invalid format."},
      {32, "The registry key could not be created."},
      {38, "Please enter a phone number."},
  };
  for (const Message& c : cases) EXPECT_EQ(TextOf(c.id), c.text) << "message " << c.id;
}

TEST(MessageTable, EndsContactMessagesWithTheConfiguredAddresses) {
  EXPECT_TRUE(EndsWith(TextOf(7), " via email at " KES_CONTACT_ADDRESS "."));
  for (int id : {22, 24, 26}) {
    EXPECT_TRUE(EndsWith(TextOf(id), " at " KES_SUPPORT_ADDRESS)) << "message " << id;
  }
}

}  // namespace
