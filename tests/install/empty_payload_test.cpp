// A payload of empty files only, from a setup program built for the test: there are no bytes to
// measure the progress bar against, and the bar stands full once every file is there.
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

TEST_F(EmptyPayload, CreatesTheEmptyFilesWithTheirTimesAndFillsTheBar) {
  const std::vector<PayloadEntry> payload =
      ReadPayload(HostPath(QX_PACKAGE_DIR "/empty-payload.pkg"));
  ASSERT_EQ(payload.size(), 2u);
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

}  // namespace
}  // namespace install
