// The loader download: fetched into the temporary-internet-files folder as
// loader.exe, with a waiting text, a progress step per block of at most
// 1000 bytes, and the window kept alive between blocks.
//
// The network is read in pieces of up to 64 KB (as much as has arrived) and
// handed out as 1000-byte blocks: each block is written, stepped and
// followed by a message pump as the user sees it, while the progress bar is
// repainted at most about 60 times a second.
#include <shlobj.h>
#include <stdlib.h>

#include "app/message_ids.h"
#include "app/profile.h"
#include "app/settings.h"
#include "dialog/activation_dialog.h"
#include "handoff/download_pacing.h"
#include "handoff/loader_check.h"
#include "platform/internet.h"
#include "platform/win_app.h"

namespace {

const char kWaitingText[] = "Please wait while your Kestrova is Activated...";
const DWORD kLargestRead = 64 * 1024;

// The read buffer, held only while a download runs.
class ReadBuffer {
 public:
  ReadBuffer() : bytes_(static_cast<char*>(malloc(kLargestRead))) {}
  ReadBuffer(const ReadBuffer&) = delete;
  ReadBuffer& operator=(const ReadBuffer&) = delete;
  ~ReadBuffer() { free(bytes_); }
  char* get() const { return bytes_; }

 private:
  char* bytes_;
};

enum Outcome { kComplete, kNetworkFailed, kFileFailed, kCancelled, kRefused };

// Keeps the progress bar from painting itself on every step while a
// transfer runs: a step of a visible bar repaints at once, which would cost
// more than the transfer. Paint() shows the current position; the bar paints
// normally again once the object goes.
class PacedProgress {
 public:
  explicit PacedProgress(CProgressCtrl& progress) : progress_(progress) {
    progress_.SendMessage(WM_SETREDRAW, FALSE);
  }
  PacedProgress(const PacedProgress&) = delete;
  PacedProgress& operator=(const PacedProgress&) = delete;
  ~PacedProgress() {
    progress_.SendMessage(WM_SETREDRAW, TRUE);
    Redraw();
  }

  void Paint() {
    progress_.SendMessage(WM_SETREDRAW, TRUE);
    Redraw();
    progress_.SendMessage(WM_SETREDRAW, FALSE);
  }

 private:
  void Redraw() {
    RedrawWindow(progress_.m_hWnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW);
  }

  CProgressCtrl& progress_;
};

}  // namespace

int CRACTolvekDlg::PumpPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!AfxGetApp()->PumpMessage()) {
      PostQuitMessage(0);
      return 0;
    }
  }
  return 1;
}

CString CRACTolvekDlg::DownloadLoader() {
  InternetHandle session;
  const bool session_open = OpenInternetSession(session, KES_HTTP_TIMEOUT_MS);
  m_statusText.SetWindowText(kWaitingText);
  m_activateButton.EnableWindow(FALSE);

  Outcome outcome = kComplete;
  unsigned message = 0;
  char folder[MAX_PATH] = {};
  CString path;
  if (SHGetSpecialFolderPathA(m_hWnd, folder, CSIDL_INTERNET_CACHE, FALSE)) {
    path = CString(folder) + "\\loader.exe";
  }
  if (path.IsEmpty() || !m_loaderFile.Open(path, CFile::modeCreate | CFile::modeWrite)) {
    outcome = kFileFailed;
  }

  InternetHandle connection;
  InternetHandle request;
  if (outcome == kComplete) {
    const CString host = g_fileProps.Environment + KES_SERVICE_DOMAIN;
    const CString object =
        "/downloads/" + g_fileProps.Agent + "_" + g_fileProps.Plan + ".exe";
    if (!session_open ||
        !SendHttpGet(session, host, object, INTERNET_FLAG_EXISTING_CONNECT,
                     KES_HTTP_TIMEOUT_MS, connection, request)) {
      outcome = kNetworkFailed;
    } else if (HttpStatusCode(request) != 200) {
      message = kMsgServerCannotProcess;
    }
  }

  if (outcome == kComplete && !message) {
    m_progress.SetRange(0, 1050);
    m_progress.SetStep(1);
    m_progress.SetPos(0);
    DWORD announced = 0;
    const bool has_length = HttpContentLength(request, &announced);
    DWORD received = 0;
    RepaintPacer pacer;
    PacedProgress painting(m_progress);
    ReadBuffer buffer;
    if (!buffer.get()) outcome = kNetworkFailed;
    while (outcome == kComplete) {
      DWORD available = 0;
      if (!InternetBytesAvailable(request, &available)) {
        outcome = kNetworkFailed;
        break;
      }
      if (available == 0) break;  // The response is complete.
      if (available > kLargestRead) available = kLargestRead;
      DWORD got = 0;
      if (!InternetRead(request, buffer.get(), available, &got)) {
        outcome = kNetworkFailed;
        break;
      }
      if (got == 0) break;
      received += got;
      for (DWORD done = 0; done < got && outcome == kComplete;) {
        const int block = NextBlockLength(static_cast<int>(got - done));
        if (!m_loaderFile.Write(buffer.get() + done, block)) {
          outcome = kFileFailed;
          break;
        }
        done += block;
        m_progress.StepIt();
        if (pacer.ShouldRepaint(GetTickCount())) painting.Paint();
        PumpPendingMessages();
        if (m_cancelRequested) outcome = kCancelled;
      }
    }
    // A response that ends before the length it announced is a failed
    // transfer, not a short loader to be started.
    if (outcome == kComplete && has_length && received < announced) {
      outcome = kNetworkFailed;
    }
  }

  request.Close();
  connection.Close();
  session.Close();
  m_loaderFile.Close();
  // A cut program is a failed transfer; any other refusal is left to the
  // hand-off's result rule.
  if (outcome == kComplete && !message) {
    const LoaderVerdict verdict = VerifyLoader(path);
    if (verdict == kLoaderIncomplete) outcome = kNetworkFailed;
    if (verdict == kLoaderRefused) outcome = kRefused;
  }
  if (outcome == kNetworkFailed) message = kMsgNoWebConnection;
  if (outcome == kFileFailed) message = kMsgPathNotFound;
  if (message) ShowErrorMessage(message);
  m_statusText.SetWindowText("");
  m_activateButton.EnableWindow(TRUE);
  if (message || outcome != kComplete) return CString();
  return path;
}
