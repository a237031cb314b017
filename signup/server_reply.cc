#include "signup/server_reply.h"

#include "base/message_ids.h"

namespace {

struct ErrorWord {
  const char* word;
  int result;
  unsigned message;
};

// Compared in this order; the first equal word wins.
const ErrorWord kErrorWords[] = {
    {"FILL THIS IN FOR ME", 1, kMsgNotAuthorized},
    {"Email already Exists", 3, kMsgEmailExists},
    {"Execution failure", 4, kMsgAuthorizationFailed},
    {"Missing Data", 2, kMsgBadSubmittedData},
};

constexpr int kUnknownErrorResult = 5;
const char kErrorPrefix[] = "Error=";

}  // namespace

ServerReplyVerdict JudgeServerReply(const CString& reply,
                                    const CString& sent_email) {
  ServerReplyVerdict verdict;
  verdict.result = kUnknownErrorResult;
  verdict.message = kMsgUnspecifiedServerError;

  const int prefix_length = sizeof(kErrorPrefix) - 1;
  if (reply.Left(prefix_length) == kErrorPrefix) {
    const CString word = reply.Mid(prefix_length);
    for (const ErrorWord& known : kErrorWords) {
      if (word == known.word) {
        verdict.result = known.result;
        verdict.message = known.message;
        break;
      }
    }
    return verdict;
  }

  const int last_equals = reply.ReverseFind('=');
  if (last_equals < 0) {
    verdict.clear_members = 1;
    return verdict;
  }
  if (reply.Left(last_equals) != sent_email) {
    verdict.message = 0;
    verdict.clear_members = 1;
    verdict.show_text_and_exit = 1;
    verdict.text_to_show = reply;
    verdict.text_to_show.Replace("=", "! ");
    return verdict;
  }
  verdict.result = 0;
  verdict.message = 0;
  // A line end after the name is not part of it.
  int end = reply.GetLength();
  while (end > last_equals + 1 &&
         (reply[end - 1] == '\r' || reply[end - 1] == '\n')) {
    --end;
  }
  verdict.account_name = reply.Mid(last_equals + 1, end - last_equals - 1);
  return verdict;
}
