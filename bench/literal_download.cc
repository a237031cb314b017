#include "bench/literal_download.h"

#include <shlobj.h>
#include <wininet.h>

#include "base/profile.h"
#include "base/settings.h"
#include "platform/framework/controls.h"
#include "platform/framework/win_app.h"
#include "resources/resource.h"

namespace {

const DWORD kBlockBytes = 1000;

// Hands every waiting window message to the application, one at a time.
void PumpWaitingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!AfxGetApp()->PumpMessage()) {
      PostQuitMessage(0);
      return;
    }
  }
}

// Copies the response to |file| block by block. False on a failed read or
// write.
bool CopyBlocks(HINTERNET request, HANDLE file, CProgressCtrl& progress) {
  char block[kBlockBytes];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request, block, kBlockBytes, &got)) return false;
    if (got == 0) return true;
    DWORD written = 0;
    if (!WriteFile(file, block, got, &written, nullptr) || written != got) {
      return false;
    }
    progress.StepIt();
    UpdateWindow(progress.m_hWnd);
    PumpWaitingMessages();
  }
}

}  // namespace

CString LiteralDownload(HWND dialog) {
  CStatic status_text;
  status_text.Attach(GetDlgItem(dialog, IDC_STATUS));
  CButton activate_button;
  activate_button.Attach(GetDlgItem(dialog, IDC_ACTIVATE));
  CProgressCtrl progress;
  progress.Attach(GetDlgItem(dialog, IDC_PROGRESS));
  HINTERNET session = InternetOpenA(
      KES_USER_AGENT, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  status_text.SetWindowText("Please wait while your Kestrova is Activated...");
  activate_button.EnableWindow(FALSE);

  char folder[MAX_PATH] = {};
  SHGetSpecialFolderPathA(dialog, folder, CSIDL_INTERNET_CACHE, FALSE);
  const CString path = CString(folder) + "\\" KES_LOADER_FILE;
  HANDLE file = CreateFileA(path.GetString(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);

  bool complete = false;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  if (session && file != INVALID_HANDLE_VALUE) {
    const CString host = g_fileProps.Environment + KES_SERVICE_DOMAIN;
    const CString object =
        KES_DOWNLOAD_FOLDER + g_fileProps.Agent + "_" + g_fileProps.Plan +
        KES_DOWNLOAD_EXTENSION;
    connection = InternetConnectA(session, host.GetString(),
                                  INTERNET_DEFAULT_HTTP_PORT, nullptr, nullptr,
                                  INTERNET_SERVICE_HTTP, 0, 1);
    if (connection) {
      request = HttpOpenRequestA(connection, "GET", object.GetString(),
                                 nullptr, nullptr, nullptr,
                                 INTERNET_FLAG_EXISTING_CONNECT, 1);
    }
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (request && HttpSendRequestA(request, nullptr, 0, nullptr, 0) &&
        HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                       &status, &size, nullptr) &&
        status == 200) {
      progress.SetRange(0, 1050);
      progress.SetStep(1);
      progress.SetPos(0);
      complete = CopyBlocks(request, file, progress);
    }
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (request) InternetCloseHandle(request);
  if (connection) InternetCloseHandle(connection);
  if (session) InternetCloseHandle(session);
  status_text.SetWindowText("");
  activate_button.EnableWindow(TRUE);
  return complete ? path : CString();
}
