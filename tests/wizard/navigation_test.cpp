// Moving through the wizard: Next and Back, the keys, the cancel confirmation, the summary, the
// copying page and Finish; and the ways the program ends.
#include <memory>

#include "install/installed_state.h"
#include "wizard/wizard_group.h"

namespace wizard {

namespace {

// The group installs once, into the root of the Windows drive, and puts the prefix back
// afterwards: the tests that run after it expect none of the product's traces.
class WizardNavigation : public WizardGroup {
 protected:
  static void SetUpTestSuite() {
    registry_.reset(new install::RegistryKeeper);
    desktopShortcut_.reset(new install::FileKeeper(install::DesktopFolder() + "\\Quintaxel.lnk"));
    StartWizard();
  }
  static void TearDownTestSuite() {
    EndWizard();
    CloseFolderWindows(0);
    RemoveTree(install::ProgramFiles().substr(0, 3) + "Quintaxel");
    RemoveTree(install::ProgramsFolder() + "\\Quintaxel");
    desktopShortcut_.reset();
    registry_.reset();
  }

  static std::unique_ptr<install::RegistryKeeper> registry_;
  static std::unique_ptr<install::FileKeeper> desktopShortcut_;

  static void ExpectPage(int n) {
    EXPECT_EQ(wizard_->VisiblePage(), n);
    EXPECT_EQ(Text(PanelChild(0, 1)), PageText(n, "_00")) << "page " << n;
    EXPECT_EQ(Text(Control(kBackId)), PageText(n, "_prev")) << "page " << n;
    EXPECT_EQ(Text(Control(kNextId)), PageText(n, "_next")) << "page " << n;
    EXPECT_EQ(Text(Control(kCancelId)), PageText(n, "_cancel")) << "page " << n;
    EXPECT_EQ(IsWindowEnabled(Control(kBackId)) != FALSE, n != 1) << "page " << n;
  }

  // Nothing happens for a while: the page stays, no box opens, the program runs.
  static void ExpectNothingHappens(int page) {
    Sleep(300);
    Settle(wizard_->main());
    EXPECT_EQ(wizard_->VisiblePage(), page);
    EXPECT_EQ(wizard_->Confirmation(), nullptr);
    EXPECT_TRUE(wizard_->Running());
  }

  static void ExpectConfirmationThenNo(int page) {
    HWND box = wizard_->WaitForConfirmation();
    ASSERT_TRUE(box) << "no confirmation box on page " << page;
    const Confirmation shown = ReadConfirmation(box);
    EXPECT_EQ(shown.caption, Shown("cn_caption"));
    EXPECT_EQ(shown.text, Shown("cn_text"));
    EXPECT_EQ(shown.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_TRUE(shown.hasIcon) << "a question box";
    ASSERT_TRUE(wizard_->Answer(box, IDNO));
    ExpectNothingHappens(page);
  }

  static std::wstring Summary(const std::wstring& folder, bool shortcuts, bool desktop) {
    return FillSlots(Shown("5_02"), {folder, Shown(shortcuts ? "5_04" : "5_05"),
                                     Shown(desktop ? "5_04" : "5_05")});
  }

  static std::wstring InstallPath() { return Text(Control(kInstallEditId)); }
};

std::unique_ptr<install::RegistryKeeper> WizardNavigation::registry_;
std::unique_ptr<install::FileKeeper> WizardNavigation::desktopShortcut_;

TEST_F(WizardNavigation, NextAndBackWalkPagesOneToFiveWithTheirTexts) {
  ExpectPage(1);
  for (int n = 2; n <= 5; ++n) {
    ASSERT_TRUE(ClickToPage(kNextId, n));
    ExpectPage(n);
  }
  for (int n = 4; n >= 1; --n) {
    ASSERT_TRUE(ClickToPage(kBackId, n));
    ExpectPage(n);
  }
}

// Back is disabled on page 1, but a Back command can still arrive (posted by another program,
// say): there is no page 0 to go to, so nothing changes.
TEST_F(WizardNavigation, NoPageBeforeTheFirst) {
  ASSERT_TRUE(GoToPage(1));
  PostMessageW(wizard_->main(), WM_COMMAND, MAKEWPARAM(kBackId, BN_CLICKED),
               reinterpret_cast<LPARAM>(Control(kBackId)));
  ExpectNothingHappens(1);
  ExpectPage(1);
}

TEST_F(WizardNavigation, EnterDoesNothing) {
  ASSERT_TRUE(GoToPage(1));
  wizard_->PressKey(VK_RETURN);
  ExpectNothingHappens(1);
  // With the focus on a check box (a click on it, and one more to undo it).
  ASSERT_TRUE(GoToPage(4));
  wizard_->Click(kDesktopShortcutId);
  wizard_->Click(kDesktopShortcutId);
  Settle(wizard_->main());
  ASSERT_EQ(wizard_->Focus(), Control(kDesktopShortcutId));
  ASSERT_TRUE(IsChecked(Control(kDesktopShortcutId)));
  wizard_->PressKey(VK_RETURN);
  ExpectNothingHappens(4);
}

// The keys alone: a page shows with its first control focused, and Tab walks the page's
// controls, then Back where it is enabled, Next and Cancel, and round again.
TEST_F(WizardNavigation, TabWalksThePageControlsThenTheButtons) {
  const struct {
    int page;
    std::vector<int> focus;  // the focus when the page shows, then after each Tab
  } walks[] = {
      {1, {kLanguageListId, kNextId, kCancelId, kLanguageListId}},
      {3,
       {kInstallEditId, kDriveSelectorId, kInstallListId, kBackId, kNextId, kCancelId,
        kInstallEditId}},
      {4,
       {kCreateShortcutsId, kShortcutEditId, kShortcutListId, kDesktopShortcutId, kBackId, kNextId,
        kCancelId, kCreateShortcutsId}},
  };
  for (const auto& walk : walks) {
    ASSERT_TRUE(GoToPage(walk.page));
    for (size_t i = 0; i < walk.focus.size(); ++i) {
      if (i > 0) wizard_->PressKey(VK_TAB);
      HWND expected = Control(walk.focus[i]);
      EXPECT_TRUE(WaitUntil([&] { return wizard_->Focus() == expected; }, 3000))
          << "page " << walk.page << ", after " << i << " Tab: focus on id "
          << GetDlgCtrlID(wizard_->Focus()) << ", not " << walk.focus[i];
    }
  }
}

// Leaves page 2 with the focus on the licence.
TEST_F(WizardNavigation, EscAsksToCancelAndNoKeepsThePage) {
  ASSERT_TRUE(GoToPage(2));
  // The licence is a multi-line edit, which takes Esc for itself and asks its panel to close.
  HWND licence = PanelChild(2, 1);
  ASSERT_TRUE(WaitUntil([&] { return wizard_->Focus() == licence; }));
  wizard_->PressKey(VK_ESCAPE);
  ExpectConfirmationThenNo(2);
  EXPECT_TRUE(IsWindowVisible(licence));
  EXPECT_EQ(Text(licence), Widen(texts_->License(0), codePage_));
  EXPECT_TRUE(WaitUntil([&] { return wizard_->Focus() == licence; })) << "No gives it back";
}

// Back pressed by keyboard is disabled on page 1 while it has the focus: the focus must land on
// the page, or no key would reach the wizard any more.
TEST_F(WizardNavigation, BackByKeyboardLeavesAFocusForEsc) {
  ASSERT_EQ(wizard_->VisiblePage(), 2);
  wizard_->PressKey(VK_TAB);
  ASSERT_TRUE(WaitUntil([] { return wizard_->Focus() == Control(kBackId); }))
      << "Tab leaves the licence";
  wizard_->PressKey(VK_SPACE);
  ASSERT_TRUE(wizard_->WaitForPage(1, PageText(1, "_cancel")));
  EXPECT_TRUE(WaitUntil([] { return wizard_->Focus() == Control(kLanguageListId); }));
  wizard_->PressKey(VK_ESCAPE);
  ExpectConfirmationThenNo(1);
}

TEST_F(WizardNavigation, CancelAsksToCancelAndNoKeepsThePage) {
  ASSERT_TRUE(GoToPage(3));
  wizard_->Click(kCancelId);
  ExpectConfirmationThenNo(3);
  ExpectPage(3);
}

// Leaves the wizard on page 5 with C:\Quintaxel and no desktop shortcut.
TEST_F(WizardNavigation, SummaryShowsTheChoicesOfTheMomentPageFiveIsEntered) {
  ASSERT_TRUE(GoToPage(5));
  HWND summary = PanelChild(5, 1);
  const std::wstring defaultFolder = InstallPath();
  EXPECT_EQ(Text(summary), Summary(defaultFolder, true, true));

  ASSERT_TRUE(GoToPage(4));
  wizard_->Click(kDesktopShortcutId);
  ASSERT_TRUE(WaitUntil([] { return !IsChecked(Control(kDesktopShortcutId)); }));
  ASSERT_TRUE(GoToPage(3));
  wizard_->ClickListEntry(Control(kInstallListId), 0);  // the drive's root
  ASSERT_TRUE(WaitUntil([&] { return InstallPath() != defaultFolder; }));
  const std::wstring rootFolder = defaultFolder.substr(0, 3) + L"Quintaxel";
  EXPECT_EQ(InstallPath(), rootFolder);

  ASSERT_TRUE(GoToPage(5));
  EXPECT_EQ(Text(summary), Summary(rootFolder, true, false));
}

TEST_F(WizardNavigation, CopyMovesOnToTheLastPageWithOnlyFinishLeft) {
  ASSERT_TRUE(GoToPage(5));
  // Two clicks queued before the first is handled, as a double click or a held Enter makes
  // them: the second reaches the hidden Next of the copying page and does nothing there.
  for (int click = 0; click < 2; ++click)
    PostMessageW(wizard_->main(), WM_COMMAND, MAKEWPARAM(kNextId, BN_CLICKED),
                 LPARAM(Control(kNextId)));
  // The installation worker switches to the last page itself, once the copy is done.
  LRESULT barWhenShown = -1;
  EXPECT_TRUE(WaitUntil(
      [&] {
        if (wizard_->VisiblePage() != 7) return false;
        barWhenShown = Ask(PanelChild(6, 3), PBM_GETPOS);
        return true;
      },
      60000));
  EXPECT_EQ(barWhenShown, 100) << "the last page showed before the copy ended";
  ASSERT_TRUE(wizard_->WaitForPage(7, PageText(7, "_cancel")));
  EXPECT_EQ(Text(PanelChild(0, 1)), PageText(7, "_00"));
  EXPECT_FALSE(IsWindowVisible(Control(kBackId)));
  EXPECT_FALSE(IsWindowVisible(Control(kNextId)));
  EXPECT_TRUE(IsWindowVisible(Control(kCancelId)));
  EXPECT_TRUE(IsWindowEnabled(Control(kCancelId)));
  EXPECT_TRUE(IsChecked(Control(kLaunchId)));
  // The hidden Back and Next took the captions of the last page's keys, which no section has.
  EXPECT_EQ(Text(Control(kBackId)), L"");
  EXPECT_EQ(Text(Control(kNextId)), L"");
  // The installation opened the shortcut folder; the wizard is in front of it, Finish focused.
  ASSERT_TRUE(FolderWindowShows(5000));
  EXPECT_TRUE(WaitUntil([] { return GetForegroundWindow() == wizard_->main(); }, 3000))
      << ClassName(GetForegroundWindow());
  EXPECT_TRUE(WaitUntil([] { return wizard_->Focus() == Control(kCancelId); }, 3000))
      << wizard_->DescribeFocus();
  CloseFolderWindows(0);
}

// Esc is the Finish button on the last page; with the launch box unchecked nothing is started.
TEST_F(WizardNavigation, EscFinishesWithoutLaunchWhenUnchecked) {
  ASSERT_EQ(wizard_->VisiblePage(), 7);
  wizard_->Click(kLaunchId);
  ASSERT_TRUE(WaitUntil([] { return !IsChecked(Control(kLaunchId)); }));
  wizard_->PressKey(VK_ESCAPE);
  DWORD exitCode = 1;
  ASSERT_TRUE(wizard_->WaitForExit(&exitCode)) << "Esc did not finish the program";
  EXPECT_EQ(exitCode, 0u);
  Sleep(500);
  EXPECT_EQ(FindWindowA("Quintaxel main window", nullptr), nullptr) << "the product was started";
}

// ---- Each of these ends its own run of the wizard.

class WizardEnding : public WizardGroup {
 protected:
  void SetUp() override {
    StartWizard();
    WizardGroup::SetUp();
  }
  void TearDown() override { EndWizard(); }

  static void ExpectEndsWithoutConfirmation() {
    DWORD exitCode = 1;
    ASSERT_TRUE(wizard_->WaitForExit(&exitCode)) << "the program did not end";
    EXPECT_EQ(exitCode, 0u);
  }
};

TEST_F(WizardEnding, YesToTheConfirmationEndsTheProgram) {
  ASSERT_TRUE(GoToPage(2));
  wizard_->Click(kCancelId);
  HWND box = wizard_->WaitForConfirmation();
  ASSERT_TRUE(box);
  wizard_->Click(GetDlgItem(box, IDYES));
  ExpectEndsWithoutConfirmation();
}

TEST_F(WizardEnding, ClosingTheWindowEndsTheProgramWithoutConfirmation) {
  ASSERT_TRUE(GoToPage(3));
  PostMessageW(wizard_->main(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ExpectEndsWithoutConfirmation();
}

}  // namespace
}  // namespace wizard
