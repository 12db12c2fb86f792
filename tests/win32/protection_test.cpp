// The protection of what setup.exe makes for the installation, read back from the descriptor
// it passes at creation. Wine accepts the descriptor on a new file and then drops it, so the
// descriptor itself is what can be checked here.
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "folders/trust_win32.h"
#include "install/protection_win32.h"

namespace {

TEST(Protection, SystemAndAdministratorsChangeUsersReadAndRunNothingInherited) {
  SECURITY_ATTRIBUTES* attributes = ProtectedAttributes();
  ASSERT_NE(attributes, nullptr);
  PSECURITY_DESCRIPTOR descriptor = attributes->lpSecurityDescriptor;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing is inherited from above";
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl);
  const struct {
    WELL_KNOWN_SID_TYPE who;
    DWORD rights;
  } expected[] = {{WinLocalSystemSid, FILE_ALL_ACCESS},
                  {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
                  {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
  ASSERT_EQ(dacl->AceCount, 3);
  for (DWORD i = 0; i < 3; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE) << i;
    EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << i;
    EXPECT_EQ(ace->Mask, expected[i].rights) << i;
    BYTE who[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof who;
    ASSERT_TRUE(CreateWellKnownSid(expected[i].who, nullptr, who, &size));
    EXPECT_TRUE(EqualSid(&ace->SidStart, who)) << i;
  }
}

// Which folders the programs trust: by owner and DACL, one row each, "ME" standing for the
// account the tests run as.
TEST(Trust, ByOwnerAndTheRightsOfOtherAccounts) {
  char* self = nullptr;
  ASSERT_TRUE(ProgramAccount() && ConvertSidToStringSidA(ProgramAccount(), &self));
  const std::string me = self;
  LocalFree(self);
  const struct {
    const char* sddl;
    FolderRole role;
    bool isRoot, trusted;
  } rows[] = {
      // Program Files: Users read and run, what is made inside is the creator's.
      {"O:SYD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)",
       kFolderInstalled, false, true},
      {"O:MED:(A;OICI;FA;;;ME)(A;OICI;FA;;;SY)", kFolderOnTheWay, false, true},
      {"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;BA)",
       kFolderOnTheWay, false, true},
      // A second volume's root as Windows formats it: users may make folders and delete their
      // own, but none of those rights counts on a root.
      {"O:BAD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;;0x100004;;;AU)(A;OICIIO;SDGXGWGR;;;AU)",
       kFolderOnTheWay, true, true},
      {"O:BAD:(A;;FA;;;SY)(A;;SD;;;WD)", kFolderOnTheWay, true, true},
      {"O:BAD:(A;;FA;;;SY)(A;;0x40;;;BU)", kFolderOnTheWay, true, false},
      // Everyone may modify (Wine's reading of chmod o+w), or only delete what it holds.
      {"O:MED:(A;OICI;FA;;;ME)(A;OICI;0x1301ff;;;WD)", kFolderOnTheWay, false, false},
      {"O:BAD:(A;;FA;;;BA)(A;;0x40;;;BU)", kFolderOnTheWay, false, false},
      {"O:BAD:(A;;FA;;;BA)(A;;WD;;;BU)", kFolderOnTheWay, false, false},
      {"O:BAD:(A;;FA;;;BA)(A;;WO;;;BU)", kFolderOnTheWay, false, false},
      {"O:BAD:(A;;FA;;;BA)(A;;SD;;;AU)", kFolderOnTheWay, false, false},
      // Adding files or folders matters only where the product lies.
      {"O:BAD:(A;;FA;;;BA)(A;;0x100006;;;BU)", kFolderOnTheWay, false, true},
      {"O:BAD:(A;;FA;;;BA)(A;;0x100002;;;BU)", kFolderInstalled, false, false},
      {"O:BAD:(A;;FA;;;BA)(A;;0x100004;;;BU)", kFolderInstalled, true, false},
      // Another owner may change the DACL whatever it says (Wine: another host owner).
      {"O:AND:(A;OICI;FA;;;SY)(A;OICI;FA;;;AN)(A;OICI;0x1200a9;;;WD)", kFolderOnTheWay, false,
       false},
      {"O:S-1-5-21-1-2-3-1001D:(A;;FA;;;BA)", kFolderOnTheWay, false, false},
      // Inherit-only entries give nothing on the folder itself; deny entries only take away.
      {"O:BAD:(A;OICIIO;FA;;;WD)(A;;FA;;;BA)", kFolderInstalled, false, true},
      {"O:BAD:(D;;FA;;;WD)(A;;FA;;;BA)", kFolderInstalled, false, true},
      // Generic rights count as what they map to: GA is everything, GW adds files and folders.
      {"O:BAD:(A;;GA;;;BU)", kFolderOnTheWay, false, false},
      {"O:BAD:(A;;GW;;;BU)", kFolderOnTheWay, false, true},
      {"O:BAD:(A;;GW;;;BU)", kFolderInstalled, false, false},
      {"O:BAD:(A;;GRGX;;;WD)", kFolderInstalled, false, true},
      // No DACL at all lets everyone do everything.
      {"O:BA", kFolderOnTheWay, false, false},
  };
  for (const auto& row : rows) {
    std::string sddl = row.sddl;
    for (size_t at; (at = sddl.find("ME")) != std::string::npos;)
      sddl.replace(at, 2, me);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                     &descriptor, nullptr))
        << row.sddl;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) &&
                GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    EXPECT_EQ(IsTrustedDescriptor(owner, dacl, UntrustedRights(row.role, row.isRoot)), row.trusted)
        << row.sddl << (row.isRoot ? " on a root" : "");
    LocalFree(descriptor);
  }
}

}  // namespace
