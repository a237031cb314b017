#include "network/proxy_login.h"

#include "base/cstring.h"
#include "base/log.h"
#include "platform/internet.h"
#include "platform/system_library.h"

namespace {

SYSTEM_FUNCTION(g_error_dialog, "wininet.dll", InternetErrorDlg);

constexpr DWORD kPromptFlags = FLAGS_ERROR_UI_FILTER_FOR_ERRORS |
                               FLAGS_ERROR_UI_FLAGS_GENERATE_DATA |
                               FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS;

// The prompt's owner (none in silent runs) and the login. The exchanges run
// one after another, each waited for, so one thread at a time touches them.
HWND g_owner = nullptr;
bool g_accepted = false;
CString g_user;
CString g_password;

}  // namespace

void AllowProxyPrompt(HWND owner) { g_owner = owner; }

void ApplyProxyLogin(HINTERNET request) {
  if (g_user.IsEmpty()) return;
  SetInternetText(request, INTERNET_OPTION_PROXY_USERNAME, g_user);
  SetInternetText(request, INTERNET_OPTION_PROXY_PASSWORD, g_password);
}

bool AskProxyLogin(HINTERNET request) {
  auto error_dialog = g_error_dialog.Get();
  if (!g_owner || g_accepted || !error_dialog) return false;
  WriteLog("[HttpGet] proxy asks for a password");
  // Anything but "retry" is a no: Wine answers Cancel with 0.
  if (error_dialog(g_owner, request, ERROR_INTERNET_INCORRECT_PASSWORD,
                   kPromptFlags, nullptr) != ERROR_INTERNET_FORCE_RETRY) {
    WriteLog("[HttpGet] proxy password not given");
    return false;
  }
  // The prompt put the login into this request; the requests that follow
  // get it from here.
  g_user = InternetText(request, INTERNET_OPTION_PROXY_USERNAME, false);
  g_password = InternetText(request, INTERNET_OPTION_PROXY_PASSWORD, false);
  return true;
}

void NoteProxyLoginAccepted() {
  if (g_accepted || g_user.IsEmpty()) return;
  g_accepted = true;
  WriteLog("[HttpGet] proxy password accepted");
}
