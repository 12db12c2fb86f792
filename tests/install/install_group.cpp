#include "install/install_group.h"

namespace install {

using namespace wizard;

std::unique_ptr<RegistryKeeper> InstallGroup::registry_;
std::unique_ptr<FileKeeper> InstallGroup::desktopShortcut_;

namespace {

// The installation worker switches to the finish page itself: the shipped payload is copied
// in a second or two, but Wine may take its time with the shell's folder window.
constexpr DWORD kInstallTimeoutMs = 60000;

::testing::AssertionResult EditShows(HWND edit, const std::string& expected) {
  if (WaitUntil([&] { return Text(edit) == Widen(expected); }, 3000))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the path edit shows " << Narrow(Text(edit)) << ", not " << Narrow(Widen(expected));
}

::testing::AssertionResult SetChecked(Wizard* wizard, int id, bool checked) {
  HWND box = wizard->Control(id);
  if (IsChecked(box) != checked) wizard->Click(box);
  if (WaitUntil([&] { return IsChecked(box) == checked; }, 3000)) {
    Settle(wizard->main());
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "check box " << id << " did not change";
}

}  // namespace

void InstallGroup::PrepareGroup(const std::string& folder, const std::string& shortcutLeaf) {
  RemoveTree(folder);
  if (!shortcutLeaf.empty()) RemoveTree(Programs(shortcutLeaf));
  const std::string desktopShortcut = DesktopFolder() + "\\Quintaxel.lnk";
  registry_.reset(new RegistryKeeper);
  desktopShortcut_.reset(new FileKeeper(desktopShortcut));
  DeleteFileA(desktopShortcut.c_str());
}

void InstallGroup::EndGroup(const std::string& folder, const std::string& shortcutLeaf) {
  EndWizard();
  if (HWND product = WaitForProductWindow(0)) EndProduct(product);
  CloseFolderWindows(0);
  registry_.reset();
  desktopShortcut_.reset();
  RemoveTree(folder);
  if (!shortcutLeaf.empty()) RemoveTree(Programs(shortcutLeaf));
}

::testing::AssertionResult InstallGroup::ChooseInstallFolder(int index, const std::string& leaf,
                                                             const std::string& expected) {
  const ::testing::AssertionResult shown = GoToPage(3);
  if (!shown) return shown;
  wizard_->SetEditText(Control(kInstallEditId), Widen(leaf));
  wizard_->ClickListEntry(Control(kInstallListId), index);
  return EditShows(Control(kInstallEditId), expected);
}

::testing::AssertionResult InstallGroup::ChooseShortcutFolder(const std::string& leaf) {
  const ::testing::AssertionResult shown = GoToPage(4);
  if (!shown) return shown;
  HWND list = Control(kShortcutListId);
  wizard_->SetEditText(Control(kShortcutEditId), Widen(leaf));
  wizard_->ClickListEntry(list, int(Ask(list, LB_GETCURSEL)));
  return EditShows(Control(kShortcutEditId), Programs(leaf));
}

::testing::AssertionResult InstallGroup::ChooseShortcuts(bool folder, bool desktop) {
  const ::testing::AssertionResult shown = GoToPage(4);
  if (!shown) return shown;
  const ::testing::AssertionResult first = SetChecked(wizard_.get(), kCreateShortcutsId, folder);
  return first ? SetChecked(wizard_.get(), kDesktopShortcutId, desktop) : first;
}

::testing::AssertionResult InstallGroup::Install(FinishState* finish) {
  const ::testing::AssertionResult shown = GoToPage(5);
  if (!shown) return shown;
  wizard_->Click(kNextId);
  HWND cancel = Control(kCancelId);
  const std::wstring finishCaption = PageText(7, "_cancel");
  if (!WaitUntil([&] { return wizard_->VisiblePage() == 7 && Text(cancel) == finishCaption; },
                 kInstallTimeoutMs))
    return ::testing::AssertionFailure() << "the finish page did not show";
  wizard_->WaitForPage(7, finishCaption);
  *finish = {Text(PanelChild(7, 0)), Text(PanelChild(6, 1)), Text(PanelChild(6, 2)),
             IsChecked(Control(kLaunchId)), int(Ask(PanelChild(6, 3), PBM_GETPOS))};
  return ::testing::AssertionSuccess();
}

void InstallGroup::ExpectFilesMissing(const FinishState& finish) {
  EXPECT_EQ(finish.finishText, Shown("7_04"));
  EXPECT_NE(finish.finishText, L"") << "the finish page says something";
  EXPECT_FALSE(finish.launchChecked);
}

void InstallGroup::UntickLaunch() {
  wizard_->Click(kLaunchId);
  EXPECT_TRUE(WaitUntil([] { return !IsChecked(Control(kLaunchId)); }));
}

::testing::AssertionResult InstallGroup::Finish() {
  wizard_->Click(kCancelId);
  DWORD exitCode = 1;
  if (!wizard_->WaitForExit(&exitCode)) return ::testing::AssertionFailure() << "still running";
  if (exitCode != 0) return ::testing::AssertionFailure() << "exit code " << exitCode;
  return ::testing::AssertionSuccess();
}

}  // namespace install
