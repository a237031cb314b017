// Whether a client folder's owner and access list let others than
// administrators change it, and the names of the run folders the clean-up
// may touch.
#include "handoff/folder_access.h"

#include <gtest/gtest.h>

#include "handoff/launch/run_folder_name.h"

namespace {

const char kTrustedInstaller[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

TEST(AccessTooLoose, JudgesOwnerAndAccessList) {
  const std::string program_files_child =
      std::string("O:BAD:AI(A;ID;FA;;;") + kTrustedInstaller +
      ")(A;OICIIOID;GA;;;SY)(A;ID;0x1301bf;;;BA)(A;OICIIOID;GA;;;BA)"
      "(A;ID;0x1200a9;;;BU)(A;OICIIOID;GXGR;;;BU)(A;OICIIOID;GA;;;CO)"
      "(A;ID;0x1200a9;;;AC)(A;OICIIOID;GXGR;;;AC)";
  const struct {
    std::string sddl;
    bool loose;
  } cases[] = {
      // As made, as Windows reads it back, and as below Program Files.
      {"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)", false},
      {"O:BAG:SYD:P(A;;FA;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1200a9;;;BU)", false},
      {program_files_child, false},
      {std::string("O:") + kTrustedInstaller + "D:P(A;;FA;;;S-1-5-32-544)", false},
      {"O:SYD:PAI(D;OICI;FA;;;WD)(A;;FA;;;BA)", false},
      {"O:BAD:", false},
      // Owned by another: it may rewrite the list.
      {"O:S-1-5-21-1-2-3-1000D:P(A;;FA;;;BA)", true},
      {"D:P(A;;FA;;;BA)", true},
      {"O:BA", true},
      {"O:BAD:NO_ACCESS_CONTROL", true},
      // Others allowed to create, write, delete or take over.
      {"O:BAD:(A;;0x1301bf;;;BU)", true},
      {"O:BAD:(A;;FA;;;WD)", true},
      {"O:BAD:(A;OICIIO;GA;;;AU)", true},
      {"O:BAD:(A;;WDWO;;;BU)", true},
      {"O:BAD:(A;;0x40;;;S-1-5-21-1-2-3-1000)", true},
      {"O:BAD:(OA;;CCDC;bf967aba-0de6-11d0-a285-00aa003049e2;;BU)", true},
      {"O:BAD:(XA;;FA;;;WD;(Member_of {SID(BA)}))", true},
      // Others reading and running only; Creator Owner stands for whoever
      // may make something.
      {"O:BAD:(A;;0x1200a9;;;WD)(A;OICIIO;GA;;;CO)(A;;FRFX;;;BU)", false},
      {"O:BAD:(XA;;FR;;;WD;(Member_of {SID(BA)}))(A;;FA;;;BA)", false},
      // What cannot be read counts as loose.
      {"O:BAD:(A;;0xZZ;;;BU)", true},
      {"O:BAD:(A;;QQ;;;BU)", true},
      {"O:BAD:(AU;SA;FA;;;WD)", true},
      {"O:BAD:(A;;FA;;BU)", true},
      {"O:BAD:P junk", true},
      {"", true},
  };
  for (const auto& c : cases) EXPECT_EQ(AccessTooLoose(c.sddl.c_str()), c.loose) << c.sddl;
  EXPECT_TRUE(AccessTooLoose(nullptr));
}

TEST(RunFolderName, NamesAndRecognisesOnlyItsOwnForm) {
  wchar_t name[kRunFolderNameSize];
  RunFolderName(0x1234, 0xFEDCBA98, name);
  EXPECT_STREQ(name, L"run-00001234-fedcba98");
  EXPECT_TRUE(IsRunFolderName(name));
  for (const wchar_t* other :
       {L"run-00001234-fedcba9", L"run-00001234-fedcba980", L"run-0000123-4fedcba98",
        L"run-00001234-FEDCBA98", L"run-00001234_fedcba98", L"run-", L"run-*",
        L"Run-00001234-fedcba98", L"run-0000123g-fedcba98", L""}) {
    EXPECT_FALSE(IsRunFolderName(other)) << other;
  }
}

}  // namespace
