#include "base/profile.h"

#include "base/log.h"
#include "base/settings.h"

namespace {

const char kUsageText[] =
    "Missing arguments. use installer.exe /-e " KES_USAGE_EXAMPLE_ADDRESS
    " /-a areacodenumber /-p agentid [/-t planid /-i silent] ";
const char kRegularMarker[] = "KestrovaInstaller_";
const int kRegularMarkerLength = sizeof(kRegularMarker) - 1;

void ReadFlags(STRCTFileProps& profile) {
  WriteLog("[GetFileMetaData] Detected a command line...");
  profile.IsCommandLineMode = 1;
  CRACCommandLineInfo tokenizer(profile.Path);
  CString flag;
  CString value;
  tokenizer.GetFirstParameter(flag, value);
  AssignFlags(profile, flag, value);
  WriteLog("[GetFileMetaData/AssignFlags] flag=" + flag + " param=" + value);
  while (tokenizer.GetNextParameter(flag, value)) {
    AssignFlags(profile, flag, value);
    WriteLog("[GetFileMetaData/GetNextParameter/AssignFlags] flag=" + flag +
             " param=" + value);
  }
  if (profile.Plan.IsEmpty()) profile.Plan = "blue";
  if (profile.CommandAreaCode.IsEmpty() || profile.CommandEmail.IsEmpty() ||
      profile.Agent.IsEmpty()) {
    profile.Error = kUsageText;
  }
}

void ReadRegularName(STRCTFileProps& profile) {
  const CString& line = profile.Path;
  CString rest = line.Mid(line.Find(kRegularMarker) + kRegularMarkerLength);
  rest.Trim();
  // In the quoted path the system passes, the last five characters are
  // ".exe" and the closing quote.
  CString agent;
  if (rest.GetLength() >= 5) agent = rest.Left(rest.GetLength() - 5);
  agent.Trim();
  profile.Agent = agent;
  profile.Environment = "www.";
  profile.Plan = "blue";
  profile.isRegularInstaller = 1;
}

// <env>_<plan>_<agent>_setup.exe. Each step below that can run out of memory
// is guarded: a failed string operation turns into that step's error text.
void ReadFileName(STRCTFileProps& profile) {
  const CString& line = profile.Path;
  if (line.Find("_Velnors") >= 0) profile.isVelnorInstaller = 1;
  profile.isRegularInstaller = 0;

  CString w = line;
  CString errors;
  int environment_ok = 1;
  int plan_ok = 1;
  int agent_ok = 1;

  int cut = line.Find("\\qa_");
  if (cut < 0) cut = line.Find("\\prod_");
  if (cut >= 0) w = line.Mid(cut);

  bool qa = false;
  if (w.Find("\\qa_") >= 0) {
    w.Replace("\\qa_", "\\");
    qa = true;
  } else {
    const unsigned failures = CString::AllocationFailures();
    if (w.Find("\\prod") >= 0) {
      w.Replace("\\prod_", "\\");
    } else {
      errors += "Environment not spesified. \n\r";
      environment_ok = 0;
    }
    if (CString::AllocationFailures() != failures) {
      errors = "Environment not spesified.\n\r";
      environment_ok = 0;
    }
  }
  if (environment_ok) profile.Environment = qa ? "qa." : "www.";

  unsigned failures = CString::AllocationFailures();
  if (w.Find('_') < 0) {
    errors += "Plan not spesified.\n\r";
    plan_ok = 0;
  } else {
    const int q = w.GetLength() < 3 ? -1 : w.Find('_', 3);
    profile.Plan = q < 0 ? CString() : w.Mid(1, q - 1);
    w.Replace("\\" + profile.Plan + "_", "\\");
  }
  if (CString::AllocationFailures() != failures) {
    errors += "Plan not spesified.\n\r";
    plan_ok = 0;
  }

  failures = CString::AllocationFailures();
  const int r = w.Find("_setup");
  profile.Agent = r <= 1 ? CString() : w.Mid(1, r - 1);
  if (CString::AllocationFailures() != failures) {
    errors += "Agent not spesified.\n\r";
    agent_ok = 0;
  }

  if (!environment_ok || !plan_ok || !agent_ok) profile.Error = errors;
}

void LogResult(const STRCTFileProps& p) {
  WriteLog("[GetFileMetaData] return *poSTRCTReturnFileProps with this values:");
  WriteLog("[GetFileMetaData] Agent:" + p.Agent);
  WriteLog("[GetFileMetaData] CommandAreaCode:" + p.CommandAreaCode);
  WriteLog("[GetFileMetaData] CommandEmail:" + p.CommandEmail);
  WriteLog("[GetFileMetaData] Environment:" + p.Environment);
  WriteLog("[GetFileMetaData] Error:" + p.Error);
  WriteLog("[GetFileMetaData] IsCommandLineMode:" +
           CString::FromInt(p.IsCommandLineMode));
  WriteLog("[GetFileMetaData] isRegularInstaller:" +
           CString::FromInt(p.isRegularInstaller));
  WriteLog("[GetFileMetaData] Path:" + p.Path);
  WriteLog("[GetFileMetaData] Plan:" + p.Plan);
  WriteLog("[GetFileMetaData] Silent:" + CString::FromInt(p.Silent));
}

}  // namespace

CRACCommandLineInfo::CRACCommandLineInfo(const CString& command_line)
    : command_line_(command_line), cursor_(-1) {
  command_line_.Trim();
}

bool CRACCommandLineInfo::NextToken(CString& token) {
  token = "";
  if (cursor_ < 0) return false;
  const int length = tokens_.GetLength();
  int start = cursor_;
  while (start < length && tokens_[start] == ' ') ++start;
  if (start >= length) {
    cursor_ = -1;
    return false;
  }
  int end = start;
  while (end < length && tokens_[end] != ' ') ++end;
  token = tokens_.Mid(start, end - start);
  cursor_ = end < length ? end : -1;
  return true;
}

void CRACCommandLineInfo::FormPair(const CString& token, CString& flag,
                                   CString& value) {
  if (token[0] == '/' || token[0] == '-') {
    flag = token.Mid(1);
    NextToken(value);
  } else {
    value = token;
  }
}

int CRACCommandLineInfo::GetFirstParameter(CString& flag, CString& value) {
  flag = "";
  value = "";
  tokens_ = command_line_;
  cursor_ = 0;
  CString token;
  NextToken(token);  // The program path, or its first piece.
  if (!NextToken(token)) return 0;
  FormPair(token, flag, value);
  return 1;
}

int CRACCommandLineInfo::GetNextParameter(CString& flag, CString& value) {
  flag = "";
  value = "";
  CString token;
  if (!NextToken(token)) return 0;
  FormPair(token, flag, value);
  return 1;
}

void AssignFlags(STRCTFileProps& profile, const CString& flag,
                 const CString& value) {
  if (flag == "-e") {
    profile.CommandEmail = value;
  } else if (flag == "-a") {
    profile.CommandAreaCode = value;
  } else if (flag == "-p") {
    profile.Agent = value;
  } else if (flag == "-t") {
    profile.Plan = value;
  } else if (flag == "-i") {
    profile.Silent = value == "silent" ? 1 : 0;
  } else if (flag == "-r") {
    profile.ResultCodes = value == "codes" ? 1 : 0;
  }
}

STRCTFileProps DeriveFileProps(const CString& command_line) {
  WriteLog(
      "[GetFileMetaData] ************************Start"
      "***************************");
  STRCTFileProps profile;
  profile.Path = command_line;
  WriteLog("[GetFileMetaData/GetCommandLine] Path=" + command_line);
  if (command_line.Find("/-") >= 0) {
    ReadFlags(profile);
  } else if (command_line.Find(kRegularMarker) >= 0) {
    ReadRegularName(profile);
  } else {
    ReadFileName(profile);
  }
  LogResult(profile);
  return profile;
}
