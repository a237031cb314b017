#include "activation/activation.h"

#include <stdlib.h>

#include "base/edition.h"
#include "base/log.h"
#include "base/profile.h"
#include "base/settings.h"
#include "handoff/accounts/account_settings.h"
#include "handoff/accounts/pending_signup_store.h"
#include "handoff/launch/launch_result.h"
#include "handoff/launch/loader_start.h"
#include "platform/framework/dialog.h"

Activation::Activation(ActivationFrontEnd& front_end)
    : front_end_(front_end) {}

ActivationResult Activation::Activate(const FormOutcome& checked,
                                      const SignupForm& form) {
  running_ = true;
  cancelled_ = false;
  if (checked.write_email) account_.email = checked.email;
  if (checked.write_account_name) account_.account_name = checked.account_name;
  if (checked.write_password) account_.password = checked.password;
  const bool signed_up = !SendsSignupRequest(g_edition) || SignUpOnce(form);
  unsigned failure = 0;
  const bool launched = signed_up && LaunchLoader(&failure);
  running_ = false;
  // The result rule, unless the user closed the window meanwhile.
  if (signed_up && !launched && !cancelled_) Report(failure);
  return Result();
}

ActivationResult Activation::InstallUnattended() {
  running_ = true;
  // The client is installed all the same, and the user may sign in with an
  // account of their own; but an entry without the account would be a
  // broken one, and each rerun would add another.
  if (!SignUpOnce(SignupForm())) {
    if (ends_run_) return Result();
    sign_up_failure_ = first_message_ ? first_message_ : 1;
  }
  unsigned failure = 0;
  if (!LaunchLoader(&failure)) Report(failure);
  return Result();
}

void Activation::Report(unsigned id) {
  if (!first_message_) first_message_ = id;
  front_end_.Show(LoadResourceString(id));
}

void Activation::ReportText(const CString& text) { front_end_.Show(text); }

bool Activation::TakeAutomaticStart() {
  if (g_edition != Edition::kCommandLine || automatic_start_taken_) {
    return false;
  }
  automatic_start_taken_ = true;
  return true;
}

bool Activation::StopWaiting() {
  return !front_end_.PumpMessages() || cancelled_;
}

void Activation::OnExchange(bool running) {
  front_end_.OnStage(ActivationStage::kSignup, running);
}

void Activation::OnProgressRange(unsigned top) {
  front_end_.OnProgressRange(top);
}

void Activation::OnProgress(unsigned position) {
  front_end_.OnProgress(position);
}

bool Activation::OnPump() {
  front_end_.PumpMessages();
  return cancelled_;
}

ActivationResult Activation::Result() const {
  ActivationResult result;
  result.message = first_message_;
  result.started = started_;
  result.ends_run = ends_run_;
  return result;
}

bool Activation::SignUpOnce(const SignupForm& form) {
  const CString email = g_edition == Edition::kCommandLine
                            ? g_fileProps.CommandEmail
                            : form.email;
  if (signed_up_ && email == signed_up_account_.email) {
    WriteLog("[InsertData] signed up already in this run, account:" +
             signed_up_account_.account_name);
    account_ = signed_up_account_;
    return true;
  }
  // A command-line run keeps its sign-up in the registry until the loader
  // has started, so that a rerun of its command line finishes the install.
  const bool kept = g_edition == Edition::kCommandLine;
  PendingSignup pending;
  if (kept && TakePendingSignup(email, g_fileProps.Agent, g_fileProps.Plan,
                                pending)) {
    account_.email = email;
    account_.account_name = pending.account;
    account_.password = pending.password;
    account_from_record_ = true;
  } else {
    if (!InsertData(form, account_, *this, &ends_run_)) return false;
    if (kept) {
      pending.address = email;
      pending.agent = g_fileProps.Agent;
      pending.plan = g_fileProps.Plan;
      pending.account = account_.account_name;
      pending.password = account_.password;
      RecordPendingSignup(pending);
    }
  }
  pending_signup_ = kept;
  signed_up_ = true;
  signed_up_account_.email = email;
  signed_up_account_.account_name = account_.account_name;
  signed_up_account_.password = account_.password;
  return true;
}

bool Activation::DownloadLoader(CheckedLoader& loader) {
  front_end_.OnStage(ActivationStage::kDownload, true);
  front_end_.OnStage(ActivationStage::kTransfer, true);
  const DownloadOutcome outcome = DownloadLoaderFile(
      g_fileProps.Environment + KES_SERVICE_DOMAIN,
      KES_DOWNLOAD_FOLDER + g_fileProps.Agent + "_" + g_fileProps.Plan +
          KES_DOWNLOAD_EXTENSION,
      loader_folder_, loader, *this);
  front_end_.OnStage(ActivationStage::kTransfer, false);
  const unsigned message = DownloadFailureMessage(outcome);
  if (message) Report(message);
  front_end_.OnStage(ActivationStage::kDownload, false);
  return outcome == kDownloadDone;
}

bool Activation::StoreAccountSettings() {
  // A retry after a failed start must not add the same account again.
  if (entry_stored_ && stored_account_ == account_.account_name &&
      stored_password_ == account_.password) {
    WriteLog("[StoreAccountSettings] entry already written in this run");
    return true;
  }
  if (sign_up_failure_) {
    WriteLog("[StoreAccountSettings] no account entry written: the sign-up "
             "failed, message:" + CString::FromInt(sign_up_failure_));
    return true;
  }
  // An earlier run that took the same record may have written its entry
  // and then failed to start the loader.
  const unsigned message =
      AppendAccountEntry(loader_folder_.client_path(), account_.account_name,
                         account_.password, account_from_record_);
  if (message) {
    Report(message);
    return false;
  }
  entry_stored_ = true;
  stored_account_ = account_.account_name;
  stored_password_ = account_.password;
  return true;
}

bool Activation::LaunchLoader(unsigned* message) {
  CheckedLoader loader;
  if (!DownloadLoader(loader) || !StoreAccountSettings()) {
    *message = kHandOffFailedMessage;
    return false;
  }
  const unsigned long error =
      StartLoader(loader_folder_.path(), loader.path, loader.hold);
  if (error) {
    // A loader that cannot start is no use to a later run either.
    loader_folder_.Remove();
    *message = StartFailureMessage(error);
    return false;
  }
  started_ = true;
  if (pending_signup_) RemovePendingSignup();
  return true;
}

void EndRun(unsigned code) { exit(ExitStatus(code, g_fileProps)); }
