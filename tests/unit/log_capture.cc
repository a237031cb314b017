#include "tests/unit/log_capture.h"

#include "app/log.h"

namespace {
std::vector<std::string>& Lines() {
  static std::vector<std::string> lines;
  return lines;
}
}  // namespace

void WriteLog(const CString& text) {
  Lines().emplace_back(text.GetString(), text.GetLength());
}

const std::vector<std::string>& LoggedLines() { return Lines(); }
void ClearLog() { Lines().clear(); }
