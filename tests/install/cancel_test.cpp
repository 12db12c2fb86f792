// Cancel confirmed while the files are copied, with a setup program whose payload (the product,
// a file of 32 MiB and four thousand small files) takes seconds to copy.
#include "install/install_group.h"

namespace install {
namespace {

using namespace wizard;

const char kLeaf[] = "QxManyFiles";

class CancelDuringCopy : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Folder());
    StartWizard("setup_many_files.exe");
  }
  static void TearDownTestSuite() { EndGroup(Folder()); }

  static std::string Folder() { return ProgramFiles().substr(0, 3) + kLeaf; }

  // Installs into Folder() without shortcuts and waits until the copy is past the product's own
  // files, a tenth into the large file. (Until the copy begins the bar stands half full and the
  // file line is empty.)
  static ::testing::AssertionResult StartCopying() {
    ::testing::AssertionResult chosen = ChooseInstallFolder(0, kLeaf, Folder());
    if (chosen) chosen = ChooseShortcuts(false, false);
    if (chosen) chosen = GoToPage(5);
    if (!chosen) return chosen;
    wizard_->Click(kNextId);
    HWND bar = PanelChild(6, 3), file = PanelChild(6, 2);
    if (WaitUntil([&] { return !Text(file).empty() && Ask(bar, PBM_GETPOS) >= 10; }, 60000))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the copy did not get past a tenth";
  }
  static const std::vector<PayloadEntry>& Payload() {
    static const auto* entries =
        new std::vector<PayloadEntry>(ReadPayload(HostPath(QX_PACKAGE_DIR "/many-files.pkg")));
    return *entries;
  }
};

// Cancel confirmed while the files are copied: the copy stops, what it made goes again, newest
// first, and the program ends with the prefix as it was: no folder, no log, nothing registered.
TEST_F(CancelDuringCopy, UndoesTheCopyAndEnds) {
  ASSERT_TRUE(StartCopying());
  wizard_->Click(kCancelId);
  HWND box = wizard_->WaitForConfirmation();
  ASSERT_TRUE(box) << "no confirmation while copying";
  // The Yes comes in the middle of the large file, which the copy then leaves cut off.
  const std::wstring big = FillSlots(Shown("6_05"), {Widen(Folder() + "\\big.dat")});
  EXPECT_EQ(Text(PanelChild(6, 2)), big);
  wizard_->Click(GetDlgItem(box, IDYES));
  DWORD exitCode = 1;
  ASSERT_TRUE(wizard_->WaitForExit(&exitCode)) << "the program did not end";
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(FolderExists(Folder())) << "the copy left its folder";
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName").present);
}

// Closing the window from its title bar while copying asks as Cancel does: the copy is never cut
// off unasked. No lets it go on to the finish page.
class CloseDuringCopy : public CancelDuringCopy {};

TEST_F(CloseDuringCopy, AsksAndNoLetsTheCopyEnd) {
  ASSERT_TRUE(StartCopying());
  PostMessageW(wizard_->main(), WM_SYSCOMMAND, SC_CLOSE, 0);
  HWND box = wizard_->WaitForConfirmation();
  ASSERT_TRUE(box) << "the window closed without asking";
  wizard_->Click(GetDlgItem(box, IDNO));
  HWND cancel = Control(kCancelId);
  ASSERT_TRUE(WaitUntil([&] { return Text(cancel) == PageText(7, "_cancel"); }, 120000));
  EXPECT_TRUE(InstalledAs(Folder() + "\\" + Payload().back().name, Payload().back()));
  wizard_->Click(kLaunchId);  // the product would keep its folder from being removed
  EXPECT_TRUE(Finish());
}

// Cancelled over an earlier installation of the product in the same folder: what the copy made
// goes, and the earlier installation stays as it was, its files, its log and its entry.
class CancelOverAnInstallation : public CancelDuringCopy {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Folder());
    StartWizard();
    FinishState finish;
    ::testing::AssertionResult first = ChooseInstallFolder(0, kLeaf, Folder());
    if (first) first = ChooseShortcuts(false, false);
    if (first) first = Install(&finish);
    if (first) wizard_->Click(kLaunchId);
    if (first) first = Finish();
    if (first) StartWizard("setup_many_files.exe");
    if (first) return;
    EndWizard();
    startError_ = std::string("the first installation: ") + first.message();
  }
};

// One installation at a time: page 3 opens on the installed folder, and refuses another, naming
// the installed one.
TEST_F(CancelOverAnInstallation, PageThreeOpensOnTheInstalledFolderAndRefusesAnother) {
  ASSERT_TRUE(GoToPage(3));
  EXPECT_EQ(Text(Control(kInstallEditId)), Widen(Folder()));
  wizard_->SetEditText(Control(kInstallEditId), Widen(Folder() + "Two"));
  wizard_->Click(kNextId);
  const std::wstring refusal = FillSlots(Shown("3_10"), {Widen(Folder())});
  EXPECT_TRUE(WaitUntil([&] { return Text(PanelChild(3, 8)) == refusal; }, 3000))
      << Narrow(Text(PanelChild(3, 8)));
  EXPECT_EQ(wizard_->VisiblePage(), 3);
  EXPECT_FALSE(FolderExists(Folder() + "Two"));
}

TEST_F(CancelOverAnInstallation, LeavesTheEarlierInstallationAsItWas) {
  const std::string log = ReadBytes(Folder() + "\\install.log");
  const RegistryValue entry =
      ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
  ASSERT_TRUE(entry.present) << "the first installation is registered";
  ASSERT_TRUE(StartCopying());
  wizard_->Click(kCancelId);
  HWND box = wizard_->WaitForConfirmation();
  ASSERT_TRUE(box);
  wizard_->Click(GetDlgItem(box, IDYES));
  DWORD exitCode = 1;
  ASSERT_TRUE(wizard_->WaitForExit(&exitCode));
  EXPECT_EQ(ReadBytes(Folder() + "\\install.log"), log);
  // Rewritten whole by the cancelled copy, never cut off.
  for (const PayloadEntry& entry : ShippedPayload())
    EXPECT_EQ(ReadBytes(Folder() + "\\" + entry.name), entry.data) << entry.name;
  EXPECT_FALSE(FolderExists(Folder() + "\\part1"));
  EXPECT_EQ(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").data,
            entry.data);
}

}  // namespace
}  // namespace install
