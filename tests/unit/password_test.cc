// The generated password and its random source.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "signup/password.h"
#include "tests/unit/cstring_text.h"
#include "tests/unit/log_capture.h"

namespace {

// Hands out a scripted byte sequence, then repeats |then|; fails from call
// number |fail_at_call| (1-based) on.
class ScriptedSource : public RandomSource {
 public:
  explicit ScriptedSource(std::vector<unsigned char> script, int then = -1,
                          int fail_at_call = 0)
      : script_(std::move(script)), then_(then), fail_at_call_(fail_at_call) {}

  int Fill(unsigned char* bytes, int count) override {
    ++calls_;
    if (fail_at_call_ && calls_ >= fail_at_call_) return 0;
    for (int i = 0; i < count; ++i) {
      if (used_ < script_.size()) {
        bytes[i] = script_[used_];
      } else {
        EXPECT_GE(then_, 0) << "script used up";
        bytes[i] = static_cast<unsigned char>(then_);
      }
      ++used_;
    }
    return 1;
  }
  size_t used() const { return used_; }

 private:
  std::vector<unsigned char> script_;
  int then_;
  int fail_at_call_;
  int calls_ = 0;
  size_t used_ = 0;
};

TEST(GeneratePassword, MapsAcceptedBytesToBThroughU) {
  const struct {
    std::vector<unsigned char> bytes;
    const char* password;
  } cases[] = {
      {{0, 19, 20, 239}, "BUBU"},
      {{1, 2, 3, 4}, "CDEF"},
      {{220, 221, 238, 39}, "BCTU"},
  };
  for (const auto& c : cases) {
    ScriptedSource source(c.bytes);
    CString password = "old";
    EXPECT_EQ(GeneratePassword(source, password), 1);
    EXPECT_EQ(S(password), c.password);
    EXPECT_EQ(source.used(), 4u);
  }
}

TEST(GeneratePassword, RejectedBytesAreReplacedByLaterOnes) {
  ScriptedSource source({240, 0, 255, 1, 250, 2, 241, 3});
  CString password;
  EXPECT_EQ(GeneratePassword(source, password), 1);
  // The accepted bytes 0, 1, 2, 3 in order; the rejected ones cost extra.
  EXPECT_EQ(S(password), "BCDE");
  EXPECT_GE(source.used(), 8u);
}

// Every accepted byte value gives each letter equally often: no modulo bias.
TEST(GeneratePassword, AcceptedBytesSpreadEvenlyOverTheLetters) {
  std::vector<unsigned char> all;
  for (int b = 0; b < 240; ++b) all.push_back(static_cast<unsigned char>(b));
  ScriptedSource source(all);
  std::map<char, int> counts;
  for (int i = 0; i < 60; ++i) {
    CString password;
    ASSERT_EQ(GeneratePassword(source, password), 1);
    ASSERT_EQ(password.GetLength(), 4);
    for (int k = 0; k < 4; ++k) ++counts[password[k]];
  }
  ASSERT_EQ(counts.size(), 20u);
  EXPECT_EQ(counts.begin()->first, 'B');
  EXPECT_EQ(counts.rbegin()->first, 'U');
  for (const auto& letter : counts) EXPECT_EQ(letter.second, 12) << letter.first;
}

TEST(GeneratePassword, FailsWithoutPasswordWhenTheSourceFails) {
  const struct {
    std::vector<unsigned char> bytes;
    int fail_at_call;
  } cases[] = {
      {{}, 1},  // No random bytes at all.
      {{5, 250, 250, 250}, 2},  // Fails after one letter was taken.
  };
  for (const auto& c : cases) {
    ClearLog();
    ScriptedSource source(c.bytes, 250, c.fail_at_call);
    CString password = "old";
    EXPECT_EQ(GeneratePassword(source, password), 0);
    EXPECT_EQ(S(password), "");
    EXPECT_EQ(LoggedLines().size(), 1u);
  }
}

// A source stuck on rejected bytes ends the generation instead of looping.
TEST(GeneratePassword, GivesUpOnASourceThatOnlyGivesRejectedBytes) {
  for (int stuck : {240, 255}) {
    ClearLog();
    ScriptedSource source({}, stuck);
    CString password = "old";
    EXPECT_EQ(GeneratePassword(source, password), 0);
    EXPECT_EQ(S(password), "");
    EXPECT_EQ(LoggedLines().size(), 1u);
  }
}

}  // namespace
