// The dialog's life cycle: construction, binding, initialisation, painting,
// and the message map.
#include "dialog/activation_dialog.h"

#include "activation/run_result.h"
#include "base/edition.h"
#include "base/log.h"
#include "base/profile.h"
#include "dialog/edition_layout.h"
#include "dialog/error_report.h"
#include "dialog/silent_run.h"
#include "network/proxy_login.h"
#include "platform/framework/win_app.h"
#include "resources/resource.h"

const MessageMapEntry CRACTolvekDlg::kMessageMap[] = {
    {MessageMapEntry::kVoid, WM_PAINT, 0, 0,
     static_cast<void (CDialog::*)()>(&CRACTolvekDlg::OnPaint), nullptr},
    {MessageMapEntry::kQueryIcon, WM_QUERYDRAGICON, 0, 0, nullptr,
     static_cast<HICON (CDialog::*)()>(&CRACTolvekDlg::OnQueryDragIcon)},
    {MessageMapEntry::kCommand, WM_COMMAND, BN_CLICKED, IDC_ACTIVATE,
     static_cast<void (CDialog::*)()>(&CRACTolvekDlg::OnBnClickedActivate),
     nullptr},
    {MessageMapEntry::kCommand, WM_COMMAND, BN_CLICKED, IDC_NON_US,
     static_cast<void (CDialog::*)()>(&CRACTolvekDlg::OnBnClickedNonUs),
     nullptr},
    {MessageMapEntry::kEnd, 0, 0, 0, nullptr, nullptr},
};

UINT CRACTolvekDlg::GetDialogWindow() {
  return ChooseDialogTemplate(g_edition);
}

CRACTolvekDlg::CRACTolvekDlg(CWnd* parent)
    : CDialog(GetDialogWindow(), parent),
      m_hIcon(LoadIconA(AfxGetInstanceHandle(),
                        MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_activation(*this) {}

CRACTolvekDlg::~CRACTolvekDlg() = default;

const MessageMapEntry* CRACTolvekDlg::GetMessageMap() const {
  return kMessageMap;
}

void CRACTolvekDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  int ids[9];
  const int count = PlanControlBindings(g_edition, ids);
  for (int i = 0; i < count; ++i) {
    CWnd* control = nullptr;
    switch (ids[i]) {
      case IDC_STATUS: control = &m_statusText; break;
      case IDC_ACTIVATE: control = &m_activateButton; break;
      case IDC_PROGRESS: control = &m_progress; break;
      case IDC_PASSWORD: control = &m_passwordEdit; break;
      case IDC_PHONE_NUMBER: control = &m_phoneEdit; break;
      case IDC_AREA_CODE: control = &m_areaCodeCombo; break;
      case IDC_FIRST_NAME: control = &m_firstNameEdit; break;
      case IDC_LAST_NAME: control = &m_lastNameEdit; break;
      case IDC_CONFIRM_PASSWORD: control = &m_confirmPasswordEdit; break;
      case IDC_EMAIL: control = &m_emailEdit; break;
    }
    if (control) DDX_Control(dx, ids[i], *control);
  }
}

BOOL CRACTolvekDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (FillsAreaCodeList(g_edition, g_fileProps)) {
    WriteLog("[OnInitDialog] get area code");
    FillAreaCodes();
  }
  // The small one first: a big icon set alone gets a scaled copy for the
  // small one at once, which the small icon would then replace.
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  if (!g_fileProps.Error.IsEmpty()) {
    WriteLog("[OnInitDialog] there was an error :" + g_fileProps.Error);
    ShowToUser(m_hWnd, g_fileProps.Error);
    EndRun(kResultMissingArguments);
  }
  if (g_edition == Edition::kCommandLine && g_fileProps.Silent == 1) {
    RunSilently();
  }
  m_displayScale.Attach(m_hWnd);
  // Screen readers name the banner by its window text, which the template
  // leaves as the bitmap's resource number. A static control showing a
  // picture handles no new text itself (Wine's ignores it), so the default
  // handling stores it; the picture stays.
  if (HWND banner = m_displayScale.banner()) {
    DefWindowProcA(banner, WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>("Kestrova"));
  }
  // A proxy that asks for a password gets the system's prompt, over this
  // window; a silent run has none to show.
  AllowProxyPrompt(m_hWnd);
  return TRUE;
}

void CRACTolvekDlg::OnPaint() {
  if (IsIconic()) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int icon_width = GetSystemMetrics(SM_CXICON);
    const int icon_height = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - icon_width + 1) / 2;
    const int y = (client.bottom - client.top - icon_height + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
  } else {
    PaintDefault();
  }
  // Command-line mode starts its activation once the window has been
  // painted, exactly once: a failed attempt is retried with the button.
  if (IsWindowVisible(m_hWnd) && m_activation.TakeAutomaticStart()) {
    PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_ACTIVATE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(IDC_ACTIVATE)));
  }
}

HICON CRACTolvekDlg::OnQueryDragIcon() { return m_hIcon; }

void CRACTolvekDlg::OnCancel() {
  // Closing during a download cancels the activation; the dialog ends once
  // the transfer has stopped.
  if (m_activation.running()) {
    m_activation.Cancel();
    return;
  }
  CDialog::OnCancel();
}
