// An installation in Russian, chosen on page 1, under code page 1251 (LC_ALL=ru_RU.UTF-8; the
// group skips otherwise, or fails where every check is required): the language setting handed to
// the product, and the shortcut names of that language in the shortcut folder and the log, all as
// Windows-1251 bytes.
#include "install/install_group.h"
#include "require_all.h"

namespace install {
namespace {

using namespace wizard;

constexpr UINT kCyrillic = 1251;
const char kLeaf[] = "QxInstallRu";

class RussianInstall : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    if (GetACP() != kCyrillic) return;
    PrepareGroup(Folder(), kLeaf);
    StartWizard();
  }
  static void TearDownTestSuite() {
    if (GetACP() != kCyrillic) return;
    EndGroup(Folder(), kLeaf);
  }

  void SetUp() override {
    if (GetACP() != kCyrillic)
      QX_SKIP_OR_FAIL("code page " << GetACP() << ", not 1251: run under LC_ALL=ru_RU.UTF-8");
    InstallGroup::SetUp();
  }

  // On the drive's root: a path without a space.
  static std::string Folder() { return ProgramFiles().substr(0, 3) + kLeaf; }
};

TEST_F(RussianInstall, InstallsWithTheLanguageChosenOnPageOne) {
  const std::string title = texts_->Value(1, "mw_title");
  wizard_->ComboDown(Control(kLanguageListId));
  ASSERT_TRUE(WaitUntil([&] { return Text(wizard_->main()) == Widen(title, kCyrillic); }));
  section_ = 1;
  codePage_ = kCyrillic;
  ASSERT_TRUE(ChooseInstallFolder(0, kLeaf, Folder()));
  ASSERT_TRUE(ChooseShortcutFolder(kLeaf));
  ASSERT_TRUE(ChooseShortcuts(true, true));
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  CloseFolderWindows(5000);
  EXPECT_EQ(finish.finishText, Shown("7_01"));
  EXPECT_EQ(finish.copyStatus, Shown("6_04"));
  EXPECT_EQ(finish.copyFile,
            FillSlots(Shown("6_05"), {Widen(Folder() + "\\" + ShippedPayload().back().name)}));
  EXPECT_EQ(finish.barPosition, 100);
}

TEST_F(RussianInstall, SettingsKeyNamesTheRussianSectionOfTheProduct) {
  const std::string language = KeyText("language_string");
  ASSERT_NE(language, "&English");
  EXPECT_TRUE(
      IsStringValue(ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "language"), language));
  EXPECT_NE(ReadBytes(Folder() + "\\quintaxel.lng").find("[" + language + "]"), std::string::npos)
      << "the product's language file has that section";
  EXPECT_TRUE(IsStringValue(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
                            Folder() + "\\uninstall.exe"));
}

TEST_F(RussianInstall, ShortcutsAndTheirLinesCarryTheRussianNames) {
  const std::string shortcuts = Programs(kLeaf);
  const std::string home = shortcuts + "\\" + KeyText("sc2") + ".url";
  const std::string lines[] = {shortcuts + "\\" + KeyText("sc1") + ".lnk", home,
                               shortcuts + "\\" + KeyText("sc3") + ".lnk",
                               shortcuts + "\\" + KeyText("sc4") + ".lnk"};
  std::string expected =
      CopyLines(Folder(), ShippedPayload(), true) + RegistryLines() + FolderLine(shortcuts);
  for (const std::string& line : lines)
    expected += FileLine(line);
  expected += FileLine(DesktopShortcut());
  EXPECT_EQ(ReadBytes(Folder() + "\\install.log"), expected);

  EXPECT_EQ(ReadBytes(home), InternetShortcutText(KeyText("sc2src")));
  const ShellLink help = ReadShellLink(lines[2]);
  ASSERT_TRUE(help.loaded) << Narrow(Widen(lines[2]));
  EXPECT_EQ(help.path, Folder() + "\\" + KeyText("sc3src"));
  EXPECT_TRUE(ReadShellLink(DesktopShortcut()).loaded);
  wizard_->Click(kLaunchId);  // the product is started in the English group
  ASSERT_TRUE(WaitUntil([] { return !IsChecked(Control(kLaunchId)); }));
  ASSERT_TRUE(Finish());
}

}  // namespace
}  // namespace install
