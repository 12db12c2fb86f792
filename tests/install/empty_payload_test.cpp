// Payloads with nothing to copy, from setup programs built for the test: one of empty files
// only, where the bar has no bytes to measure against and stands full once every file is there,
// and one without any entry, where the bar stays at 0.
#include "install/install_group.h"

namespace install {
namespace {

using namespace wizard;

const char kLeaf[] = "QxEmptyPayload";

class EmptyPayload : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Folder());
    StartWizard("setup_empty_payload.exe");
  }
  // The wizard is ended, not finished: Finish would launch a program the payload does not have.
  static void TearDownTestSuite() { EndGroup(Folder()); }

  static std::string Folder() { return ProgramFiles().substr(0, 3) + kLeaf; }
};

// The last entry lies six new folders deep: its lines are longer than 1024 bytes together, and
// each must still reach the log whole.
TEST_F(EmptyPayload, CreatesTheEmptyFilesWithTheirTimesAndFillsTheBar) {
  const std::vector<PayloadEntry> payload =
      ReadPayload(HostPath(QX_PACKAGE_DIR "/empty-payload.pkg"));
  ASSERT_EQ(payload.size(), 4u);
  ASSERT_TRUE(ChooseInstallFolder(0, kLeaf, Folder()));
  ASSERT_TRUE(ChooseShortcuts(false, false));
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  EXPECT_EQ(finish.barPosition, 100);
  EXPECT_EQ(finish.finishText, Shown("7_01"));
  EXPECT_TRUE(finish.launchChecked);
  for (const PayloadEntry& entry : payload)
    EXPECT_TRUE(InstalledAs(Folder() + "\\" + entry.name, entry));
  EXPECT_EQ(ReadBytes(Folder() + "\\install.log"),
            CopyLines(Folder(), payload, true) + RegistryLines());
}

class NoPayload : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Folder());
    StartWizard("setup_no_payload.exe");
  }
  static void TearDownTestSuite() { EndGroup(Folder()); }

  static std::string Folder() { return ProgramFiles().substr(0, 3) + "QxNoPayload"; }
};

// Without an uninstaller nothing could undo a registration: none is made, and the finish page
// does not call that an installation.
TEST_F(NoPayload, LogsTheFolderAndTheLogLeavesTheBarAtZeroAndRegistersNothing) {
  ASSERT_TRUE(ChooseInstallFolder(0, "QxNoPayload", Folder()));
  ASSERT_TRUE(ChooseShortcuts(false, false));
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  EXPECT_EQ(finish.barPosition, 0);
  ExpectFilesMissing(finish);
  EXPECT_EQ(ReadBytes(Folder() + "\\install.log"), CopyLines(Folder(), {}, true));
}

}  // namespace
}  // namespace install
