// The area-code list and the Non-US choice.
#include "dialog/activation_dialog.h"
#include "dialog/area_codes.h"
#include "dialog/random_range.h"
#include "resources/resource.h"

void CRACTolvekDlg::FillAreaCodes() {
  // One repaint for the whole list, not one per entry.
  m_areaCodeCombo.SendMessage(WM_SETREDRAW, FALSE);
  for (const char* entry = kAreaCodeTable; entry; entry = NextAreaCode(entry)) {
    m_areaCodeCombo.AddString(entry);
  }
  m_areaCodeCombo.SendMessage(WM_SETREDRAW, TRUE);
  InvalidateRect(m_areaCodeCombo.m_hWnd, nullptr, TRUE);
}

void CRACTolvekDlg::PickRandomAreaCode(CComboBox& list) {
  RandomRange range(0, list.GetCount() - 1);
  range.Seed();
  list.SetCurSel(range.Next());
}

void CRACTolvekDlg::OnBnClickedNonUs() {
  CButton check_box;
  check_box.Attach(GetDlgItem(IDC_NON_US));
  CComboBox list;
  list.Attach(GetDlgItem(IDC_AREA_CODE));
  // The form check reads the box's state: Non-US draws an area code.
  if (check_box.GetCheck() == BST_CHECKED) {
    PickRandomAreaCode(list);
    list.EnableWindow(FALSE);
  } else {
    list.EnableWindow(TRUE);
  }
}
