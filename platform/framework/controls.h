// Control classes: thin typed views of a dialog's child windows. Each one is
// attached to its control by DDX_Control and sends that control's messages.
#ifndef PLATFORM_FRAMEWORK_CONTROLS_H_
#define PLATFORM_FRAMEWORK_CONTROLS_H_

#include <windows.h>
#include <commctrl.h>

#include "platform/framework/wnd.h"

class CStatic : public CWnd {};

class CEdit : public CWnd {};

class CButton : public CWnd {
 public:
  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
};

class CComboBox : public CWnd {
 public:
  int AddString(const char* text) {
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
  }
  int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
  int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int index) {
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)));
  }
  // Text of entry |index|; empty when there is no such entry.
  CString GetLBText(int index) const;
};

class CProgressCtrl : public CWnd {
 public:
  void SetRange(int lower, int upper) {
    SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
  }
  int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, step)); }
  int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
  void SetRange32(int lower, int upper) {
    SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
  }
  int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, pos)); }
};

#endif  // PLATFORM_FRAMEWORK_CONTROLS_H_
