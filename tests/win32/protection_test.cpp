// The protection of what setup.exe makes for the installation, read back from the descriptor
// it passes at creation. Wine accepts the descriptor on a new file and then drops it, so the
// descriptor itself is what can be checked here.
#include <windows.h>

#include <gtest/gtest.h>

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

}  // namespace
