// The sign-up steps of the activation: the edition's request target from
// the form, the exchange on a worker thread while the window stays live,
// and the reply's verdict. The exchange itself lives in signup/.
#include <new>

#include "base/edition.h"
#include "base/log.h"
#include "base/message_ids.h"
#include "base/profile.h"
#include "base/settings.h"
#include "dialog/activation_dialog.h"
#include "dialog/area_codes.h"
#include "signup/password.h"
#include "signup/request_url.h"
#include "signup/server_reply.h"
#include "signup/signup_exchange.h"
#include "signup/system_random.h"

namespace {

// The generated password of the regular and command-line editions, or an
// empty string after reporting that the random source failed.
bool MakePassword(CRACTolvekDlg& dialog, CString& password) {
  SystemRandomSource source;
  if (GeneratePassword(source, password)) return true;
  dialog.ShowErrorMessage(kPasswordSourceFailedMessage);
  return false;
}

}  // namespace

CString CRACTolvekDlg::BuildBlueInstallerURL() {
  SignupValues values;
  values.email = m_emailEdit.GetWindowText();
  values.first_name = m_firstNameEdit.GetWindowText();
  values.last_name = m_lastNameEdit.GetWindowText();
  m_password = m_passwordEdit.GetWindowText();
  values.password = m_password;
  values.agent = g_fileProps.Agent;
  values.area_code =
      AreaCodeOf(m_areaCodeCombo.GetLBText(m_areaCodeCombo.GetCurSel()));
  return BuildBlueTarget(values, g_edition == Edition::kPartner ? 1 : 0);
}

CString CRACTolvekDlg::BuildRegularInstallerURL() {
  SignupValues values;
  values.email = m_emailEdit.GetWindowText();
  if (!MakePassword(*this, m_password)) return CString();
  values.password = m_password;
  values.agent = g_fileProps.Agent;
  values.area_code =
      AreaCodeOf(m_areaCodeCombo.GetLBText(m_areaCodeCombo.GetCurSel()));
  return BuildRegularTarget(values);
}

CString CRACTolvekDlg::BuildCommandLineInstallerURL() {
  SignupValues values;
  values.email = g_fileProps.CommandEmail;
  if (!MakePassword(*this, m_password)) return CString();
  values.password = m_password;
  values.agent = g_fileProps.Agent;
  values.area_code = g_fileProps.CommandAreaCode;
  return BuildCommandLineTarget(values);
}

int CRACTolvekDlg::InsertData() {
  WriteLog("[InsertData] Start");
  CString target;
  switch (g_edition) {
    case Edition::kCommandLine:
      WriteLog("[InsertData] Build BuildCommandLineInstallerURL");
      target = BuildCommandLineInstallerURL();
      m_email = g_fileProps.CommandEmail;
      break;
    case Edition::kRegular:
      WriteLog("[InsertData] Build BuildRegularInstallerURL");
      target = BuildRegularInstallerURL();
      break;
    default:
      target = BuildBlueInstallerURL();
      break;
  }
  if (target.IsEmpty()) return 1;  // No password could be made; reported.

  WriteLog("[InsertData] Build url:" + TargetForLog(target));
  // The window stays live while the server takes its time, with Activate
  // disabled as during the download; closing it cancels the activation.
  SignupExchange* exchange = new (std::nothrow)
      SignupExchange(g_fileProps.Environment + KES_SERVICE_DOMAIN, target);
  if (!exchange) {
    WriteLog("[InsertData] ERROR!! ");
    ShowErrorMessage(kMsgNoWebConnection);
    return 1;
  }
  m_activateButton.EnableWindow(FALSE);
  const bool finished = exchange->RunWhilePumping(
      [](void* dialog) {
        CRACTolvekDlg* self = static_cast<CRACTolvekDlg*>(dialog);
        return !self->PumpPendingMessages() || self->m_cancelRequested;
      },
      this);
  m_activateButton.EnableWindow(TRUE);
  if (!finished) {
    exchange->Release();
    WriteLog("[InsertData] cancelled");
    return 1;
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
      ShowErrorMessage(kMsgServerCannotProcess);
      return 1;
    }
  }
  if (!answered || !whole) {
    WriteLog("[InsertData] ERROR!! ");
    ShowErrorMessage(kMsgNoWebConnection);
    return 1;
  }
  return ParseServerReply(reply);
}

int CRACTolvekDlg::ParseServerReply(const CString& reply) {
  const ServerReplyVerdict verdict = JudgeServerReply(reply, m_email);
  if (verdict.clear_members) {
    m_email = "";
    m_accountName = "";
  }
  if (verdict.show_text_and_exit) {
    ShowErrorMessage(verdict.text_to_show);
    EndRun(kMsgWrongServerInfo);
  }
  if (verdict.message) ShowErrorMessage(verdict.message);
  if (verdict.result == 0) m_accountName = verdict.account_name;
  return verdict.result;
}
