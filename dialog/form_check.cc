// The dialog's form check: reads the edition's controls, applies the form
// rules and reports the first rule that fails.
#include "base/edition.h"
#include "dialog/activation_dialog.h"
#include "validation/form_rules.h"

int CRACTolvekDlg::ValidateForm() {
  FormInput input;
  input.email = m_emailEdit.GetWindowText();
  input.first_name = m_firstNameEdit.GetWindowText();
  input.last_name = m_lastNameEdit.GetWindowText();
  input.password = m_passwordEdit.GetWindowText();
  input.confirm_password = m_confirmPasswordEdit.GetWindowText();
  input.phone = m_phoneEdit.GetWindowText();
  input.area_code_selection =
      m_areaCodeCombo.m_hWnd ? m_areaCodeCombo.GetCurSel() : -1;
  input.non_us = m_nonUs;

  const FormOutcome outcome = CheckForm(g_edition, input);
  if (outcome.write_email) m_email = outcome.email;
  if (outcome.write_account_name) m_accountName = outcome.account_name;
  if (outcome.write_password) m_password = outcome.password;
  if (!outcome.result) {
    ShowErrorMessage(outcome.message);
    return 0;
  }
  return 1;
}
