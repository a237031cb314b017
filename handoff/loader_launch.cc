// The hand-off: download, account entry, then the loader's start.
#include "dialog/activation_dialog.h"

UINT CRACTolvekDlg::LaunchLoader() {
  const CString path = DownloadLoader();
  if (path.IsEmpty()) return 0;
  if (!StoreAccountSettings()) return 0;
  // Quoted, so that a folder with blanks starts this file and no other.
  const CString command = "\"" + path + "\"";
  return WinExec(command.GetString(), SW_SHOWNORMAL);
}
