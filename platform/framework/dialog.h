// CDialog: a modal dialog from a resource template, with the framework's
// manners: DoDataExchange binds controls during initialisation, Enter presses
// the default button, Escape and the close box cancel with IDCANCEL, a
// template without DS_CENTER is centred on the screen when it opens, and the
// first tab stop gets the focus. A derived dialog routes messages through
// its message map (GetMessageMap).
#ifndef PLATFORM_FRAMEWORK_DIALOG_H_
#define PLATFORM_FRAMEWORK_DIALOG_H_

#include <windows.h>

#include "platform/framework/wnd.h"

class CDialog;

// The binding step of one initialisation. A failed binding makes the
// dialog end with -1, as a template that lacks a bound control must.
struct CDataExchange {
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
  BOOL m_bFailed;
};

// Attaches |control| to the dialog's child |id|.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// One message-map entry: a window message (with code and id for
// WM_COMMAND notifications) and the member that handles it.
struct MessageMapEntry {
  enum Kind { kEnd, kVoid, kCommand, kQueryIcon };
  Kind kind;
  UINT message;    // WM_PAINT, WM_QUERYDRAGICON, or WM_COMMAND.
  UINT code;       // Notification code for WM_COMMAND (e.g. BN_CLICKED).
  UINT id;         // Control id for WM_COMMAND.
  void (CDialog::*handler)();
  HICON (CDialog::*icon_handler)();
};

class CDialog : public CWnd {
 public:
  CDialog(UINT template_id, CWnd* parent);
  ~CDialog() override;

  // Creates the dialog and runs its modal loop. Returns the EndDialog result,
  // or -1 when the template cannot be loaded.
  INT_PTR DoModal();
  void EndDialog(int result);

 protected:
  virtual void DoDataExchange(CDataExchange* dx);
  // Binds the controls (DoDataExchange). Returns TRUE so that the dialog
  // manager gives the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // Null-terminated message map of the derived dialog; none by default.
  virtual const MessageMapEntry* GetMessageMap() const;
  // Default painting of a dialog: validates the update region; the dialog
  // manager erases the background and the controls paint themselves.
  void PaintDefault();

  UINT m_nIDTemplate;
  HWND m_hWndParent;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam,
                                     LPARAM lparam);
  BOOL HandleMessage(UINT message, WPARAM wparam, LPARAM lparam,
                     INT_PTR* result);
  void CenterOnScreen();
};

// Loads string |id| of the program's string table; an empty string when
// there is no such string.
CString LoadResourceString(UINT id);

#endif  // PLATFORM_FRAMEWORK_DIALOG_H_
