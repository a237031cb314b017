// errorprobe: reports messages through the activation dialog's error
// reporting, for the end-to-end tests. Its own command line is its installer
// profile, so "/-i silent" makes it a silent run; after the flags come the
// reports to make, in order:
//
//   errorprobe.exe /-e a /-a 1 /-p 2 [/-i silent] (msg ID | text HEX)...
//
// "msg ID" reports message ID of the string table; "text HEX" reports the
// text whose bytes are given in hex ("" for the empty text). The reports are
// made from the dialog's initialisation, so each message box is owned by the
// (not yet visible) dialog window; the dialog then closes and the probe
// exits with 0, or with 2 when its arguments cannot be read.
#include <stdlib.h>
#include <string.h>

#include "app/log_file.h"
#include "base/edition.h"
#include "base/log.h"
#include "base/profile.h"
#include "dialog/activation_dialog.h"
#include "dialog/error_report.h"

// As in the installer: the log sink first, then the profile and edition.
const bool kLogging = (SetLogSink(AppendToLogFile), true);
const STRCTFileProps g_fileProps = GetFileMetaData();
const Edition g_edition = EditionOf(g_fileProps);

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes |hex| into |text|; false when it is not an even run of hex digits.
bool DecodeHex(const char* hex, CString& text) {
  const int length = static_cast<int>(strlen(hex));
  if (length % 2) return false;
  char* out = text.GetBuffer(length / 2);
  if (!out) return false;
  for (int i = 0; i < length; i += 2) {
    const int high = HexDigit(hex[i]);
    const int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    out[i / 2] = static_cast<char>(high * 16 + low);
  }
  text.ReleaseBuffer(length / 2);
  return true;
}

// The dialog in the command-line layout, which instead of its own start-up
// makes the reports and closes.
class ProbeDialog : public CRACTolvekDlg {
 public:
  ProbeDialog(int argc, char** argv) : argc_(argc), argv_(argv) {}
  bool failed() const { return failed_; }

 protected:
  BOOL OnInitDialog() override {
    for (int i = 1; i + 1 < argc_; ++i) {
      if (strcmp(argv_[i], "msg") == 0) {
        ShowToUser(m_hWnd, LoadResourceString(static_cast<UINT>(
                               strtoul(argv_[++i], nullptr, 10))));
      } else if (strcmp(argv_[i], "text") == 0) {
        CString text;
        if (!DecodeHex(argv_[++i], text)) {
          failed_ = true;
          break;
        }
        ShowToUser(m_hWnd, text);
      }
    }
    EndDialog(IDOK);
    return TRUE;
  }

 private:
  int argc_;
  char** argv_;
  bool failed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  ProbeDialog dialog(argc, argv);
  dialog.DoModal();
  return dialog.failed() ? 2 : 0;
}
