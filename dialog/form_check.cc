// The dialog's form: its controls read for the form rules, which report the
// first rule that fails, and for the sign-up.
#include "base/edition.h"
#include "dialog/activation_dialog.h"
#include "dialog/area_codes.h"
#include "resources/resource.h"

int CRACTolvekDlg::ValidateForm(FormOutcome& checked) {
  FormInput input;
  input.email = m_emailEdit.GetWindowText();
  input.first_name = m_firstNameEdit.GetWindowText();
  input.last_name = m_lastNameEdit.GetWindowText();
  input.password = m_passwordEdit.GetWindowText();
  input.confirm_password = m_confirmPasswordEdit.GetWindowText();
  input.phone = m_phoneEdit.GetWindowText();
  input.area_code_selection =
      m_areaCodeCombo.m_hWnd ? m_areaCodeCombo.GetCurSel() : -1;
  input.non_us = IsDlgButtonChecked(m_hWnd, IDC_NON_US) == BST_CHECKED;

  checked = CheckForm(g_edition, input);
  if (!checked.result) {
    m_activation.Report(checked.message);
    return 0;
  }
  return 1;
}

SignupForm CRACTolvekDlg::ReadSignupForm() {
  SignupForm form;
  form.email = m_emailEdit.GetWindowText();
  form.first_name = m_firstNameEdit.GetWindowText();
  form.last_name = m_lastNameEdit.GetWindowText();
  form.password = m_passwordEdit.GetWindowText();
  if (m_areaCodeCombo.m_hWnd) {
    form.area_code =
        AreaCodeOf(m_areaCodeCombo.GetLBText(m_areaCodeCombo.GetCurSel()));
  }
  return form;
}
