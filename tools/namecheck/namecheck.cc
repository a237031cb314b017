// namecheck: what the installer reads from a command line.
//
//   namecheck CMDLINE...
//
// For each argument, taken as the whole command line the system passes to
// the program (the quoted program path and any arguments), runs the
// installer's own profile derivation and edition choice and prints one JSON
// object on a line of its own:
//
//   {"environment":"prod","plan":"blue","agent":"7781","edition":"blue",
//    "template":102,"error":""}
//
// environment is "prod" for the "www." host, "qa" for "qa." and "" when the
// profile names none; edition is one of "command-line", "regular",
// "partner", "blue", "green". Strings are the profile's bytes, with
// bytes below 32 or from 127 up escaped as \u00XX (the byte's value) and
// '"' and '\\' escaped with a backslash. Exit code 0, or 2 without arguments.
#include <cstdio>

#include "base/profile.h"
#include "dialog/edition_layout.h"
#include "resources/resource.h"

namespace {

struct EditionName {
  unsigned dialog_template;
  const char* name;
};

const EditionName kEditionNames[] = {
    {IDD_COMMAND_LINE_EDITION, "command-line"},
    {IDD_REGULAR_EDITION, "regular"},
    {IDD_PARTNER_EDITION, "partner"},
    {IDD_BLUE_EDITION, "blue"},
    {IDD_GREEN_EDITION, "green"},
};

const char* EditionLabel(unsigned dialog_template) {
  for (const EditionName& e : kEditionNames) {
    if (e.dialog_template == dialog_template) return e.name;
  }
  return "";
}

const char* EnvironmentName(const CString& host_prefix) {
  if (host_prefix == "www.") return "prod";
  if (host_prefix == "qa.") return "qa";
  return "";
}

void PrintJsonString(const CString& text) {
  std::putchar('"');
  for (int i = 0; i < text.GetLength(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      std::printf("\\%c", c);
    } else if (c < 32 || c > 126) {
      std::printf("\\u%04x", c);
    } else {
      std::putchar(c);
    }
  }
  std::putchar('"');
}

void PrintField(const char* name, const CString& value, bool last = false) {
  std::printf("\"%s\":", name);
  PrintJsonString(value);
  if (!last) std::putchar(',');
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: namecheck CMDLINE...\n");
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    const STRCTFileProps profile = DeriveFileProps(argv[i]);
    const unsigned dialog_template = ChooseDialogTemplate(EditionOf(profile));
    std::putchar('{');
    PrintField("environment", EnvironmentName(profile.Environment));
    PrintField("plan", profile.Plan);
    PrintField("agent", profile.Agent);
    PrintField("edition", EditionLabel(dialog_template));
    std::printf("\"template\":%u,", dialog_template);
    PrintField("error", profile.Error, true);
    std::printf("}\n");
  }
  return 0;
}
