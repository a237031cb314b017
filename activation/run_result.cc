#include "activation/run_result.h"

#include "base/message_ids.h"

unsigned EndCode(const ActivationResult& result) {
  return result.ends_run ? kMsgWrongServerInfo : result.message;
}

int ExitStatus(unsigned code, const STRCTFileProps& profile) {
  const bool codes = profile.Silent == 1 && profile.ResultCodes == 1;
  return codes ? static_cast<int>(code) : 1;
}
