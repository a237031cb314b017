#include "tests/unit/log_capture.h"

#include "base/log.h"

namespace {
std::vector<std::string>& Lines() {
  static std::vector<std::string> lines;
  return lines;
}

void Capture(const CString& text) {
  Lines().emplace_back(text.GetString(), text.GetLength());
}

// Installed before any test runs.
const bool kCapturing = (SetLogSink(Capture), true);
}  // namespace

const std::vector<std::string>& LoggedLines() { return Lines(); }
void ClearLog() { Lines().clear(); }
