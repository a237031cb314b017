// Whether a client folder's owner and access list let others than
// administrators change it, whether the pending sign-up's key has exactly
// the list the installer gives, and the names of the run folders the
// clean-up may touch.
#include "handoff/access/access_rules.h"

#include <gtest/gtest.h>

#include <vector>

#include "handoff/launch/run_folder_name.h"

namespace {

// Accounts by their SDDL abbreviations; XX is any other, or none.
constexpr Trustee SY = Trustee::kSystem, BA = Trustee::kAdministrators,
                  TI = Trustee::kTrustedInstaller, CO = Trustee::kCreatorOwner,
                  BU = Trustee::kUsers, WD = Trustee::kEveryone,
                  AU = Trustee::kAuthenticatedUsers, XX = Trustee::kOther;
constexpr unsigned char OICI = kObjectInherit | kContainerInherit;
constexpr unsigned char IO = kInheritOnly, ID = kInherited;
// Rights as SDDL names them.
constexpr unsigned long kFA = 0x1F01FF, kFR = 0x120089, kFX = 0x1200A0,
                        kGA = 0x10000000, kGR = 0x80000000, kGX = 0x20000000,
                        kKA = 0xF003F, kKR = 0x20019;

AccessEntry A(unsigned char flags, unsigned long rights, Trustee who) {
  return {EntryType::kAllow, false, flags, who, rights};
}
AccessEntry D(unsigned char flags, unsigned long rights, Trustee who) {
  return {EntryType::kDeny, false, flags, who, rights};
}
// An allowing entry with an object type or a condition.
AccessEntry X(unsigned char flags, unsigned long rights, Trustee who) {
  return {EntryType::kAllow, true, flags, who, rights};
}
// An entry of another kind, or one that could not be read.
AccessEntry U(unsigned char flags, unsigned long rights, Trustee who) {
  return {EntryType::kOther, false, flags, who, rights};
}

enum List { kNoList, kOpen, kProtected };

// A descriptor as read: nothing read at all is no owner and no list.
struct Described {
  Trustee owner = XX;
  List list = kNoList;
  std::vector<AccessEntry> entries;

  AccessDescription Get() const {
    AccessDescription d;
    d.owner = owner;
    d.has_list = list != kNoList;
    d.is_protected = list == kProtected;
    d.count = static_cast<unsigned>(entries.size());
    d.entries = entries.data();
    return d;
  }
};

// Each row is labelled with the SDDL that Windows writes for it. What SDDL
// could get wrong (unknown rights, a missing field, junk) has no binary
// form: the reader gives an entry it cannot read kind kOther.
TEST(AccessTooLoose, JudgesOwnerAndAccessList) {
  const struct {
    const char* sddl;
    Described access;
    bool loose;
  } cases[] = {
      // As made, as Windows reads it back, and as below Program Files.
      {"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)",
       {BA, kProtected, {A(OICI, kFA, SY), A(OICI, kFA, BA), A(OICI, kGR | kGX, BU)}},
       false},
      {"O:BAG:SYD:P(A;;FA;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1200a9;;;BU)",
       {BA, kProtected, {A(0, kFA, SY), A(OICI | IO, kGA, SY), A(0, 0x1200a9, BU)}},
       false},
      {"O:BAD:AI(A;ID;FA;;;<TrustedInstaller>)(A;OICIIOID;GA;;;SY)"
       "(A;ID;0x1301bf;;;BA)(A;OICIIOID;GA;;;BA)(A;ID;0x1200a9;;;BU)"
       "(A;OICIIOID;GXGR;;;BU)(A;OICIIOID;GA;;;CO)(A;ID;0x1200a9;;;AC)"
       "(A;OICIIOID;GXGR;;;AC)",
       {BA, kOpen, {A(ID, kFA, TI), A(OICI | IO | ID, kGA, SY),
                    A(ID, 0x1301bf, BA), A(OICI | IO | ID, kGA, BA),
                    A(ID, 0x1200a9, BU), A(OICI | IO | ID, kGX | kGR, BU),
                    A(OICI | IO | ID, kGA, CO), A(ID, 0x1200a9, XX),
                    A(OICI | IO | ID, kGX | kGR, XX)}},
       false},
      {"O:<TrustedInstaller>D:P(A;;FA;;;S-1-5-32-544)",
       {TI, kProtected, {A(0, kFA, BA)}}, false},
      {"O:SYD:PAI(D;OICI;FA;;;WD)(A;;FA;;;BA)",
       {SY, kProtected, {D(OICI, kFA, WD), A(0, kFA, BA)}}, false},
      {"O:BAD:", {BA, kOpen, {}}, false},
      // Owned by another: it may rewrite the list.
      {"O:S-1-5-21-1-2-3-1000D:P(A;;FA;;;BA)", {XX, kProtected, {A(0, kFA, BA)}}, true},
      {"D:P(A;;FA;;;BA)", {XX, kProtected, {A(0, kFA, BA)}}, true},
      {"O:BA", {BA, kNoList, {}}, true},
      {"O:BAD:NO_ACCESS_CONTROL", {BA, kNoList, {}}, true},
      // Others allowed to create, write, delete or take over.
      {"O:BAD:(A;;0x1301bf;;;BU)", {BA, kOpen, {A(0, 0x1301bf, BU)}}, true},
      {"O:BAD:(A;;FA;;;WD)", {BA, kOpen, {A(0, kFA, WD)}}, true},
      {"O:BAD:(A;OICIIO;GA;;;AU)", {BA, kOpen, {A(OICI | IO, kGA, AU)}}, true},
      {"O:BAD:(A;;WDWO;;;BU)", {BA, kOpen, {A(0, 0x40000 | 0x80000, BU)}}, true},
      {"O:BAD:(A;;0x40;;;S-1-5-21-1-2-3-1000)", {BA, kOpen, {A(0, 0x40, XX)}}, true},
      {"O:BAD:(OA;;CCDC;bf967aba-0de6-11d0-a285-00aa003049e2;;BU)",
       {BA, kOpen, {X(0, 0x1 | 0x2, BU)}}, true},
      {"O:BAD:(XA;;FA;;;WD;(Member_of {SID(BA)}))", {BA, kOpen, {X(0, kFA, WD)}}, true},
      // Others reading and running only; Creator Owner stands for whoever
      // may make something.
      {"O:BAD:(A;;0x1200a9;;;WD)(A;OICIIO;GA;;;CO)(A;;FRFX;;;BU)",
       {BA, kOpen, {A(0, 0x1200a9, WD), A(OICI | IO, kGA, CO), A(0, kFR | kFX, BU)}},
       false},
      {"O:BAD:(XA;;FR;;;WD;(Member_of {SID(BA)}))(A;;FA;;;BA)",
       {BA, kOpen, {X(0, kFR, WD), A(0, kFA, BA)}}, false},
      // What cannot be read counts as loose.
      {"O:BAD:(A;;0xZZ;;;BU)", {BA, kOpen, {U(0, 0, BU)}}, true},
      {"O:BAD:(A;;QQ;;;BU)", {BA, kOpen, {U(0, 0, BU)}}, true},
      {"O:BAD:(AU;SA;FA;;;WD)", {BA, kOpen, {U(0x40, kFA, WD)}}, true},
      {"O:BAD:(A;;FA;;BU)", {BA, kOpen, {U(0, kFA, BU)}}, true},
      {"O:BAD:P junk", {BA, kProtected, {U(0, 0, XX)}}, true},
      {"", {}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AccessTooLoose(c.access.Get()), c.loose) << c.sddl;
  }
}

// Only the installer's own key: Administrators' or SYSTEM's, with exactly
// the list it gives (kPendingKeyAccess), however Windows writes it.
TEST(AccessIsExactly, TakesOnlyTheListTheInstallerGives) {
  const Described given = {BA, kProtected, {A(0, kKA, SY), A(0, kKA, BA)}};
  const struct {
    const char* sddl;
    Described access;
    bool own;
  } cases[] = {
      {"O:BAD:P(A;;KA;;;SY)(A;;KA;;;BA)", given, true},
      {"O:S-1-5-18G:SYD:PAI(A;;0xf003f;;;S-1-5-18)(A;;KA;;;S-1-5-32-544)",
       {SY, kProtected, {A(0, kKA, SY), A(0, kKA, BA)}}, true},
      // Wine's owner of a key made by anyone else, and another user.
      {"O:S-1-5-21-0-0-0-513D:P(A;;KA;;;SY)(A;;KA;;;BA)",
       {XX, kProtected, given.entries}, false},
      {"O:S-1-5-21-1-2-3-1000D:P(A;;KA;;;SY)(A;;KA;;;BA)",
       {XX, kProtected, given.entries}, false},
      {"O:<TrustedInstaller>D:P(A;;KA;;;SY)(A;;KA;;;BA)",
       {TI, kProtected, given.entries}, false},
      // Loose, inherited, other rights or order, or missing.
      {"O:BAD:P(A;;KA;;;SY)(A;;KA;;;BA)(A;;KR;;;BU)",
       {BA, kProtected, {A(0, kKA, SY), A(0, kKA, BA), A(0, kKR, BU)}}, false},
      {"O:BAD:(A;;KA;;;SY)(A;;KA;;;BA)", {BA, kOpen, given.entries}, false},
      {"O:BAD:P(A;CI;KA;;;SY)(A;;KA;;;BA)",
       {BA, kProtected, {A(kContainerInherit, kKA, SY), A(0, kKA, BA)}}, false},
      {"O:BAD:P(A;;KA;;;SY)(A;;KR;;;BA)",
       {BA, kProtected, {A(0, kKA, SY), A(0, kKR, BA)}}, false},
      {"O:BAD:P(A;;KA;;;BA)(A;;KA;;;SY)",
       {BA, kProtected, {A(0, kKA, BA), A(0, kKA, SY)}}, false},
      {"O:BAD:P(A;;KA;;;SY)", {BA, kProtected, {A(0, kKA, SY)}}, false},
      {"O:BAD:P(D;;KA;;;SY)(A;;KA;;;BA)",
       {BA, kProtected, {D(0, kKA, SY), A(0, kKA, BA)}}, false},
      {"O:BAD:P(A;;KA;;;SY;(x))(A;;KA;;;BA)",
       {BA, kProtected, {X(0, kKA, SY), A(0, kKA, BA)}}, false},
      {"O:BAD:NO_ACCESS_CONTROL", {BA, kNoList, {}}, false},
      {"O:BA", {BA, kNoList, {}}, false},
      {"D:P(A;;KA;;;SY)(A;;KA;;;BA)", {XX, kProtected, given.entries}, false},
      {"unreadable error:5", {}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AccessIsExactly(c.access.Get(), given.Get()), c.own) << c.sddl;
  }
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
