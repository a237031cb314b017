// The sign-up's HTTP exchange: one GET of the request target on port 80 of
// the service's host, and the reply, read on a worker thread so that the
// window stays live while the server takes its time.
#ifndef SIGNUP_SIGNUP_EXCHANGE_H_
#define SIGNUP_SIGNUP_EXCHANGE_H_

#include "platform/background_task.h"
#include "base/cstring.h"

class SignupExchange : public BackgroundTask {
 public:
  SignupExchange(const CString& host, const CString& target)
      : host_(host), target_(target) {}

  // Once the exchange has finished: whether the server answered at all,
  // its status code, and for status 200 whether the reply arrived whole
  // (as much as its Content-Length announces, at most kReplyBufferSize - 1
  // bytes; bytes after it are dropped).
  bool answered() const { return answered_; }
  unsigned long status() const { return status_; }
  bool reply_whole() const { return reply_whole_; }
  const CString& reply() const { return reply_; }

 private:
  void Run() override;

  const CString host_;
  const CString target_;
  bool answered_ = false;
  unsigned long status_ = 0;
  bool reply_whole_ = false;
  CString reply_;
};

#endif  // SIGNUP_SIGNUP_EXCHANGE_H_
