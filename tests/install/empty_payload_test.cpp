// Payloads from setup programs built for the test: one of empty files only, where the bar has no
// bytes to measure against and stands full once every file is there, one without any entry,
// where the bar stays at 0, and one edited to name a file outside the install folder.
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

class EditedPayload : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Folder());
    DeleteFileA(Outside().c_str());
    StartWizard("setup_edited_payload.exe");
  }
  static void TearDownTestSuite() {
    EndGroup(Folder());
    DeleteFileA(Outside().c_str());
  }

  static std::string Folder() { return ProgramFiles().substr(0, 3) + "QxEditedPayload"; }
  static std::string Outside() { return ProgramFiles().substr(0, 3) + "evil.txt"; }
};

// The package names ..\evil.txt first: the installation is refused before anything is made, so
// neither that file nor the next entry, the install folder or its log is written.
TEST_F(EditedPayload, AnEntryNamedOutsideTheInstallFolderIsNeverWritten) {
  const std::vector<PayloadEntry> payload =
      ReadPayload(HostPath(QX_PACKAGE_DIR "/edited-payload.pkg"));
  ASSERT_EQ(payload.size(), 2u);
  ASSERT_EQ(payload[0].name, "..\\evil.txt");
  ASSERT_TRUE(ChooseInstallFolder(0, "QxEditedPayload", Folder()));
  ASSERT_TRUE(ChooseShortcuts(false, false));
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  ExpectFilesMissing(finish);
  EXPECT_FALSE(FileExists(Outside()));
  EXPECT_FALSE(FolderExists(Folder()));
}

}  // namespace
}  // namespace install
