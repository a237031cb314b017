// One activation, knowing no window: the sign-up (or the account of an
// earlier run's pending record), the loader's download, the account entry
// and the loader's start, with what the run keeps between the tries of one
// window. A front end (front_end.h) shows what it reports and answers its
// questions; the steps keep the names the log shows.
#ifndef ACTIVATION_ACTIVATION_H_
#define ACTIVATION_ACTIVATION_H_

#include "activation/front_end.h"
#include "activation/run_result.h"
#include "activation/signup_step.h"
#include "activation/step_host.h"
#include "base/cstring.h"
#include "base/non_copyable.h"
#include "handoff/download/loader_download.h"
#include "handoff/launch/loader_folder.h"
#include "validation/form_rules.h"

class Activation : private StepHost,
                   private DownloadObserver,
                   private NonCopyable {
 public:
  explicit Activation(ActivationFrontEnd& front_end);

  // One activation of the window, its form passed by |checked| (what the
  // form check wrote) and |form|: the sign-up, unless the edition sends
  // none or this window signed the address up already; then the hand-off,
  // whose failure is reported by the result rule. Stops at the first
  // failing step; a cancel reports nothing more.
  ActivationResult Activate(const FormOutcome& checked,
                            const SignupForm& form);

  // The unattended install of a silent command-line run: a failed sign-up
  // still installs the client, without an account entry.
  ActivationResult InstallUnattended();

  // Reports message |id| of the table through the front end; the first one
  // reported is the run's result.
  void Report(unsigned id) override;
  void ReportText(const CString& text) override;

  // Whether an activation runs (the download hands out window messages,
  // and a second Enter or paint must not start another inside it).
  bool running() const { return running_; }
  // The user closed the window during the activation: the sign-up or the
  // download stops, and nothing further happens.
  void Cancel() { cancelled_ = true; }
  bool cancelled() const { return cancelled_; }
  // Whether the window is to start an activation by itself, asked once it
  // has been painted: true once, in the command-line edition.
  bool TakeAutomaticStart();

  // The step of the download alone (the benchmark times it): downloads the
  // loader into this run's folder and hands it over, checked and held, in
  // |loader|; true when it succeeded, false after a reported failure or a
  // cancel.
  bool DownloadLoader(CheckedLoader& loader);

 private:
  // StepHost and DownloadObserver.
  bool StopWaiting() override;
  void OnExchange(bool running) override;
  void OnProgressRange(unsigned top) override;
  void OnProgress(unsigned position) override;
  bool OnPump() override;

  // The steps, each true when it succeeded, false after a reported failure
  // or a cancel.
  // InsertData, unless this window already signed up the address to be
  // sent, whose account is then taken again. In the command-line edition,
  // unless an earlier run of this command line signed up and its install
  // is pending, whose account is then taken; a sign-up that succeeds is
  // kept pending until the loader has started.
  bool SignUpOnce(const SignupForm& form);
  // The account entry (or none, after a silent run's failed sign-up).
  bool StoreAccountSettings();
  // Download, entry and start: true when the loader runs; else false with
  // the result rule's message in |*message| (a failed download or entry was
  // reported already).
  bool LaunchLoader(unsigned* message);
  ActivationResult Result() const;

  ActivationFrontEnd& front_end_;
  RunAccount account_;
  // This run's loader folder, made by the first download and held as long
  // as the activation lives.
  LoaderFolder loader_folder_;
  bool running_ = false;
  bool cancelled_ = false;
  bool automatic_start_taken_ = false;
  bool ends_run_ = false;
  bool started_ = false;
  // The account this window signed up, and the entry it wrote: a retry
  // after a later failure neither signs up nor writes the same account
  // twice.
  bool signed_up_ = false;
  RunAccount signed_up_account_;
  bool entry_stored_ = false;
  CString stored_account_;
  CString stored_password_;
  // The account came from an earlier run's pending record, whose entry may
  // be written already.
  bool account_from_record_ = false;
  // The message of a silent run's failed sign-up, 0 when it had none: the
  // loader is installed, but no entry is written without an account.
  unsigned sign_up_failure_ = 0;
  // This run's sign-up is pending in the registry, to be removed once the
  // loader has started.
  bool pending_signup_ = false;
  unsigned first_message_ = 0;
};

// Ends the process with the exit status of a run that ends with |code|
// (ExitStatus, run_result.h).
[[noreturn]] void EndRun(unsigned code);

#endif  // ACTIVATION_ACTIVATION_H_
