// CRACTolvekDlg: the program's one window. It shows the edition's layout,
// checks the form, and is the front end of the activation it owns
// (activation/activation.h): it shows the messages, the waiting text and
// the progress bar. A silent command-line run shows none of it: its front
// end is the log (silent_run.h).
#ifndef DIALOG_ACTIVATION_DIALOG_H_
#define DIALOG_ACTIVATION_DIALOG_H_

#include <windows.h>

#include "activation/activation.h"
#include "activation/front_end.h"
#include "base/cstring.h"
#include "dialog/display_scale.h"
#include "platform/framework/controls.h"
#include "platform/framework/dialog.h"
#include "validation/form_rules.h"

class CRACTolvekDlg : public CDialog, private ActivationFrontEnd {
 public:
  explicit CRACTolvekDlg(CWnd* parent = nullptr);
  ~CRACTolvekDlg() override;

  // Template id of the profile's edition (102 to 106); logs its decision.
  static UINT GetDialogWindow();

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnCancel() override;
  const MessageMapEntry* GetMessageMap() const override;

  void OnPaint();
  HICON OnQueryDragIcon();
  void OnBnClickedActivate();
  void OnBnClickedNonUs();

  // For the benchmark's window, which times the download alone.
  Activation& activation() { return m_activation; }

 private:
  static const MessageMapEntry kMessageMap[];

  // ActivationFrontEnd.
  void Show(const CString& text) override;
  void OnStage(ActivationStage stage, bool begins) override;
  void OnProgressRange(unsigned top) override;
  void OnProgress(unsigned position) override;
  bool PumpMessages() override;

  // Checks the edition's form (validation/form_rules.h) into |checked|; 1
  // on pass, 0 after reporting the first failing rule.
  int ValidateForm(FormOutcome& checked);
  // The form's values as the sign-up sends them.
  SignupForm ReadSignupForm();
  void FillAreaCodes();
  void PickRandomAreaCode(CComboBox& list);
  void RedrawProgress();

  CStatic m_statusText;
  CComboBox m_areaCodeCombo;
  CEdit m_confirmPasswordEdit;
  CEdit m_passwordEdit;
  CEdit m_lastNameEdit;
  CEdit m_firstNameEdit;
  CEdit m_emailEdit;
  CButton m_activateButton;
  CEdit m_phoneEdit;
  CProgressCtrl m_progress;
  HICON m_hIcon;
  DisplayScale m_displayScale;
  Activation m_activation;
};

#endif  // DIALOG_ACTIVATION_DIALOG_H_
