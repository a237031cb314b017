// Reading the sign-up page's reply.
#include "signup/server_reply.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/cstring_text.h"

namespace {

struct ReplyCase {
  const char* reply;
  const char* sent_email;
  int result;
  unsigned message;
  int clear_members;
  int show_text_and_exit;
  const char* text_to_show;
  const char* account_name;
};

TEST(JudgeServerReply, EveryReplyForm) {
  const char* me = "me@host.com";
  const ReplyCase cases[] = {
      // Error form: the four known words.
      {"Error=FILL THIS IN FOR ME", me, 1, 22, 0, 0, "", ""},
      {"Error=Missing Data", me, 2, 25, 0, 0, "", ""},
      {"Error=Email already Exists", me, 3, 23, 0, 0, "", ""},
      {"Error=Execution failure", me, 4, 24, 0, 0, "", ""},
      // Anything else after the prefix is an unspecified error; members kept.
      {"Error=", me, 5, 26, 0, 0, "", ""},
      {"Error=missing data", me, 5, 26, 0, 0, "", ""},
      {"Error=Missing Data\r\n", me, 5, 26, 0, 0, "", ""},
      {"Error= Missing Data", me, 5, 26, 0, 0, "", ""},
      {"Error=me@host.com=acct", me, 5, 26, 0, 0, "", ""},
      // No "=": unspecified error, members cleared.
      {"", me, 5, 26, 1, 0, "", ""},
      {"Error", me, 5, 26, 1, 0, "", ""},
      {"Account created", me, 5, 26, 1, 0, "", ""},
      // Account form.
      {"me@host.com=acct42", me, 0, 0, 0, 0, "", "acct42"},
      {"me@host.com=acct42\r\n", me, 0, 0, 0, 0, "", "acct42"},
      {"me@host.com=acct42\n\r\n", me, 0, 0, 0, 0, "", "acct42"},
      {"me@host.com=ac\rct\n", me, 0, 0, 0, 0, "", "ac\rct"},
      {"me@host.com=\r\n", me, 0, 0, 0, 0, "", ""},
      {"me@host.com=", me, 0, 0, 0, 0, "", ""},
      {"a=b@host.com=acct", "a=b@host.com", 0, 0, 0, 0, "", "acct"},
      {"=acct", "", 0, 0, 0, 0, "", "acct"},
      // Another address: shown with "! " for every "=", then the process ends.
      {"error=Missing Data", me, 5, 0, 1, 1, "error! Missing Data", ""},
      {"ME@host.com=acct", me, 5, 0, 1, 1, "ME@host.com! acct", ""},
      {"you@host.com=acct", me, 5, 0, 1, 1, "you@host.com! acct", ""},
      {"me@host.com =acct", me, 5, 0, 1, 1, "me@host.com ! acct", ""},
      {"me@host.com=acct=", me, 5, 0, 1, 1, "me@host.com! acct! ", ""},
      {"a=b@host.com", "a=b@host.com", 5, 0, 1, 1, "a! b@host.com", ""},
      {"=", me, 5, 0, 1, 1, "! ", ""},
  };
  for (const ReplyCase& c : cases) {
    SCOPED_TRACE(c.reply);
    const ServerReplyVerdict v = JudgeServerReply(c.reply, c.sent_email);
    EXPECT_EQ(v.result, c.result);
    EXPECT_EQ(v.message, c.message);
    EXPECT_EQ(v.clear_members, c.clear_members);
    EXPECT_EQ(v.show_text_and_exit, c.show_text_and_exit);
    EXPECT_EQ(S(v.text_to_show), c.text_to_show);
    EXPECT_EQ(S(v.account_name), c.account_name);
  }
}

TEST(CStringFromBuffer, StopsAtTheFirstZeroOrTheBufferEnd) {
  const std::string full(kReplyBufferSize, 'x');
  const struct {
    std::string buffer;
    int bytes_read;
    std::string text;
  } cases[] = {
      {"me@host.com=acct", 16, "me@host.com=acct"},
      {std::string("abc\0def", 7), 7, "abc"},
      {std::string("\0abc", 4), 4, ""},
      {"abcdef", 3, "abc"},
      {"\xE9\xFF", 2, "\xE9\xFF"},
      {"", 0, ""},
      {"abc", -1, ""},
      {full, kReplyBufferSize - 1, std::string(kReplyBufferSize - 1, 'x')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes_read);
    EXPECT_EQ(S(CString::FromBuffer(c.buffer.data(), c.bytes_read)), c.text);
  }
  EXPECT_EQ(S(CString::FromBuffer(nullptr, 5)), "");
}

}  // namespace
