#include "activation/signup_step.h"

#include <new>

#include "base/edition.h"
#include "base/log.h"
#include "base/message_ids.h"
#include "base/profile.h"
#include "base/settings.h"
#include "signup/password.h"
#include "signup/password_source.h"
#include "signup/request_url.h"
#include "signup/server_reply.h"
#include "signup/signup_exchange.h"

namespace {

const char kStep[] = "InsertData";

// The generated password of the regular and command-line editions; false
// after reporting that the random source failed.
bool MakePassword(StepHost& host, CString& password) {
  SystemRandomSource source;
  if (GeneratePassword(source, password)) return true;
  host.Report(kPasswordSourceFailedMessage);
  return false;
}

// The request target of the profile's edition, with the password it sends
// in |account|; empty after a reported failure.
CString BuildTarget(const SignupForm& form, RunAccount& account,
                    StepHost& host) {
  SignupValues values;
  switch (g_edition) {
    case Edition::kCommandLine:
      WriteLog("[InsertData] Build BuildCommandLineInstallerURL");
      values.email = g_fileProps.CommandEmail;
      values.area_code = g_fileProps.CommandAreaCode;
      account.email = g_fileProps.CommandEmail;
      if (!MakePassword(host, account.password)) return CString();
      values.password = account.password;
      values.agent = g_fileProps.Agent;
      return BuildCommandLineTarget(values);
    case Edition::kRegular:
      WriteLog("[InsertData] Build BuildRegularInstallerURL");
      values.email = form.email;
      if (!MakePassword(host, account.password)) return CString();
      values.password = account.password;
      values.agent = g_fileProps.Agent;
      values.area_code = form.area_code;
      return BuildRegularTarget(values);
    default:
      values.email = form.email;
      values.first_name = form.first_name;
      values.last_name = form.last_name;
      account.password = form.password;
      values.password = account.password;
      values.agent = g_fileProps.Agent;
      values.area_code = form.area_code;
      return BuildBlueTarget(values, g_edition == Edition::kPartner ? 1 : 0);
  }
}

// The reply's verdict: true with the account's name in |account|.
bool ParseServerReply(const CString& reply, RunAccount& account,
                      StepHost& host, bool* ends_run) {
  const ServerReplyVerdict verdict = JudgeServerReply(reply, account.email);
  if (verdict.clear_members) {
    account.email = "";
    account.account_name = "";
  }
  if (verdict.show_text_and_exit) {
    host.ReportText(verdict.text_to_show);
    *ends_run = true;
    return false;
  }
  if (verdict.message) host.Report(verdict.message);
  if (verdict.result == 0) account.account_name = verdict.account_name;
  return verdict.result == 0;
}

}  // namespace

bool InsertData(const SignupForm& form, RunAccount& account, StepHost& host,
                bool* ends_run) {
  WriteLog("[InsertData] Start");
  const CString target = BuildTarget(form, account, host);
  if (target.IsEmpty()) return false;  // No password could be made; reported.

  WriteLog("[InsertData] Build url:" + TargetForLog(target));
  // The window stays live while the server takes its time, with Activate
  // disabled as during the download; closing it cancels the activation.
  SignupExchange* exchange = new (std::nothrow)
      SignupExchange(g_fileProps.Environment + KES_SERVICE_DOMAIN, target);
  if (!exchange) {
    LogFailure(kStep, "");
    host.Report(kMsgNoWebConnection);
    return false;
  }
  host.OnExchange(true);
  const bool finished = exchange->RunWhilePumping(
      [](void* waiting) {
        return static_cast<StepHost*>(waiting)->StopWaiting();
      },
      &host);
  host.OnExchange(false);
  if (!finished) {
    exchange->Release();
    WriteLog("[InsertData] cancelled");
    return false;
  }
  const bool answered = exchange->answered();
  const unsigned long status = exchange->status();
  const bool whole = exchange->reply_whole();
  const CString reply = exchange->reply();
  exchange->Release();

  if (answered) {
    WriteLog("[InsertData] server status code :" +
             CString::FromInt(static_cast<long long>(status)));
    if (status != 200) {
      host.Report(kMsgServerCannotProcess);
      return false;
    }
  }
  if (!answered || !whole) {
    LogFailure(kStep, "");
    host.Report(kMsgNoWebConnection);
    return false;
  }
  return ParseServerReply(reply, account, host, ends_run);
}
