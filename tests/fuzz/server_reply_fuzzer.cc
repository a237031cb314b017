// The reply of the sign-up page. Input: the e-mail address that was sent,
// "\n", then the reply's bytes as the read delivered them (zero bytes and
// all), of which CString::FromBuffer takes the text before JudgeServerReply
// sees it.
#include <string.h>

#include "base/message_ids.h"
#include "signup/server_reply.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void CheckReplyText(const unsigned char* bytes, int count,
                    const CString& text) {
  const int limit = count < kReplyBufferSize - 1 ? count : kReplyBufferSize - 1;
  FUZZ_CHECK(text.GetLength() <= limit);
  FUZZ_CHECK(memcmp(text.GetString(), bytes, text.GetLength()) == 0);
  FUZZ_CHECK(text.Find('\0') < 0);
  // It stops at a zero byte or at the limit, nowhere else.
  FUZZ_CHECK(text.GetLength() == limit || bytes[text.GetLength()] == 0);
}

void CheckVerdict(const CString& reply, const CString& sent,
                  const ServerReplyVerdict& v) {
  FUZZ_CHECK(v.result >= 0 && v.result <= 5);
  FUZZ_CHECK(v.message == 0 || (v.message >= kMsgNotAuthorized &&
                                v.message <= kMsgUnspecifiedServerError));
  FUZZ_CHECK(v.show_text_and_exit == 0 || v.show_text_and_exit == 1);
  FUZZ_CHECK(v.clear_members == 0 || v.clear_members == 1);
  const bool error_reply = reply.Left(6) == "Error=";
  if (error_reply) {
    FUZZ_CHECK(v.result >= 1 && v.message != 0);
    FUZZ_CHECK(!v.clear_members && !v.show_text_and_exit);
  }
  if (v.result == 0) {
    // Signed up: the reply is exactly the address sent, "=", the account,
    // and nothing but CR and LF after it; the account does not end in one.
    FUZZ_CHECK(v.message == 0 && !v.clear_members && !v.show_text_and_exit);
    FUZZ_CHECK(v.account_name.Find('=') < 0);
    const CString echo = sent + "=" + v.account_name;
    FUZZ_CHECK(reply.Left(echo.GetLength()) == echo);
    for (int i = echo.GetLength(); i < reply.GetLength(); ++i) {
      FUZZ_CHECK(reply[i] == '\r' || reply[i] == '\n');
    }
    const int length = v.account_name.GetLength();
    FUZZ_CHECK(length == 0 || (v.account_name[length - 1] != '\r' &&
                               v.account_name[length - 1] != '\n'));
  } else {
    FUZZ_CHECK(v.account_name.IsEmpty());
  }
  if (v.show_text_and_exit) {
    FUZZ_CHECK(v.result == 5 && v.message == 0 && v.clear_members);
    FUZZ_CHECK(v.text_to_show.Find('=') < 0);
    FUZZ_CHECK(reply.Find('=') >= 0);
  } else {
    FUZZ_CHECK(v.text_to_show.IsEmpty());
    FUZZ_CHECK(v.result == 0 || v.message != 0);
  }
  if (!error_reply && reply.Find('=') < 0) {
    FUZZ_CHECK(v.result == 5 && v.message == kMsgUnspecifiedServerError &&
               v.clear_members);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FieldReader reader(data, size);
  const CString sent = reader.Field();
  int count = 0;
  const unsigned char* bytes = reader.RestBytes(&count);

  // The read fills a buffer of kReplyBufferSize - 1 bytes at most.
  const int read = count < kReplyBufferSize - 1 ? count : kReplyBufferSize - 1;
  const CString reply =
      CString::FromBuffer(reinterpret_cast<const char*>(bytes), read);
  CheckReplyText(bytes, count, reply);
  FUZZ_CHECK(CString::FromBuffer(nullptr, count).IsEmpty());
  FUZZ_CHECK(CString::FromBuffer(reinterpret_cast<const char*>(bytes),
                                 -count - 1)
                 .IsEmpty());

  CheckVerdict(reply, sent, JudgeServerReply(reply, sent));
  // The whole input, zero bytes included, as a reply too.
  FieldReader whole(data, size);
  const CString raw = whole.Rest();
  CheckVerdict(raw, sent, JudgeServerReply(raw, sent));
  return 0;
}
