// Shortcut tables other than the shipped one, from a setup program built with a language file of
// the tests' own (made from the shipped English section at build time): one section with web
// addresses in other forms, an empty name and an empty target, and two sections whose count
// makes no shortcut at all. Each installation is a run of its own.
#include <algorithm>

#include "install/install_group.h"

namespace install {
namespace {

using namespace wizard;

const char kLeaf[] = "QxShortcutCases";

class ShortcutTable : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    shippedTexts_ = texts_;
    texts_ = new SetupTexts(HostPath(QX_INSTALL_DATA "/shortcut-cases.lng"));
  }
  static void TearDownTestSuite() {
    delete texts_;
    texts_ = shippedTexts_;
  }

  void SetUp() override {
    PrepareGroup(Folder(), kLeaf);
    StartWizard("setup_shortcut_cases.exe");
    InstallGroup::SetUp();
  }
  void TearDown() override { EndGroup(Folder(), kLeaf); }

  static std::string Folder() { return ProgramFiles().substr(0, 3) + kLeaf; }
  static std::string Shortcuts() { return Programs(kLeaf); }
  static std::string Log() { return ReadBytes(Folder() + "\\install.log"); }

  // Picks language section `section` on page 1 and installs with the shortcut folder only.
  static ::testing::AssertionResult InstallFromSection(int section) {
    const std::wstring title = Widen(texts_->Value(section, "mw_title"));
    for (int i = 0; i < section; ++i)
      wizard_->ComboDown(Control(kLanguageListId));
    // The first section is loaded at start, before the title is ever set from it.
    if (section > 0 && !WaitUntil([&] { return Text(wizard_->main()) == title; }))
      return ::testing::AssertionFailure() << "section " << section << " was not chosen";
    section_ = section;
    ::testing::AssertionResult done = ChooseInstallFolder(0, kLeaf, Folder());
    if (done) done = ChooseShortcutFolder(kLeaf);
    if (done) done = ChooseShortcuts(true, false);
    FinishState finish;
    if (done) done = Install(&finish);
    folderWindowShown_ = FolderWindowShows(5000);
    CloseFolderWindows(0);
    return done;
  }

  // A count that makes no shortcut: the folder is logged, made and opened all the same.
  static void ExpectEmptyShortcutFolder() {
    EXPECT_EQ(Log(), CopyLines(Folder(), ShippedPayload(), true) + RegistryLines() +
                         FolderLine(Shortcuts()));
    EXPECT_TRUE(FolderExists(Shortcuts()));
    EXPECT_EQ(ShortcutFiles(Shortcuts()), std::vector<std::string>{});
    EXPECT_TRUE(folderWindowShown_) << "the shortcut folder is opened in a window";
  }

  static SetupTexts* shippedTexts_;
  static bool folderWindowShown_;
};

SetupTexts* ShortcutTable::shippedTexts_;
bool ShortcutTable::folderWindowShown_;

TEST_F(ShortcutTable, EachTargetBecomesALinkOrAnInternetShortcutByItsScheme) {
  // A shortcut folder that exists already, with two of the files in it: they are replaced.
  CreateDirectoryA(Shortcuts().c_str(), nullptr);
  WriteBytes(Shortcuts() + "\\Quintaxel.lnk", "not a shell link");
  WriteBytes(Shortcuts() + "\\Secure page.url", std::string(200, 'x'));
  ASSERT_TRUE(InstallFromSection(0));
  struct Made {
    std::string file;  // in the shortcut folder
    std::string target;
    bool web;
  };
  const Made made[] = {
      {"Quintaxel.lnk", Folder() + "\\quintaxel.exe", false},
      {"Secure page.url", "https://www.quintaxel.example/secure", true},
      {".lnk", Folder() + "\\help\\english\\start.html", false},  // the name is empty
      {"Uninstall.lnk", Folder() + "\\uninstall.exe", false},
      {"Capital page.url", "HTTP://WWW.QUINTAXEL.EXAMPLE/", true},
      {"Short address.lnk", Folder() + "\\http", false},  // shorter than any scheme
      {"Empty target.lnk", Folder() + "\\", false},
  };
  std::string lines =
      CopyLines(Folder(), ShippedPayload(), true) + RegistryLines() + FolderLine(Shortcuts());
  std::vector<std::string> names;
  for (const Made& shortcut : made) {
    const std::string file = Shortcuts() + "\\" + shortcut.file;
    lines += FileLine(file);
    names.push_back(shortcut.file);
    if (shortcut.web) {
      EXPECT_EQ(ReadBytes(file), InternetShortcutText(shortcut.target)) << file;
      continue;
    }
    const ShellLink link = ReadShellLink(file);
    EXPECT_TRUE(link.loaded) << file;
    EXPECT_EQ(link.path, shortcut.target) << file;
    EXPECT_EQ(link.description, "asdfgh") << file;
  }
  EXPECT_EQ(Log(), lines);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(ShortcutFiles(Shortcuts()), names);
}

TEST_F(ShortcutTable, CountOfZeroMakesAnEmptyShortcutFolder) {
  ASSERT_TRUE(InstallFromSection(1));
  ASSERT_EQ(KeyText("sc_count"), "0");
  ExpectEmptyShortcutFolder();
}

TEST_F(ShortcutTable, NegativeCountMakesAnEmptyShortcutFolder) {
  ASSERT_TRUE(InstallFromSection(2));
  ASSERT_EQ(KeyText("sc_count"), "-2");
  ExpectEmptyShortcutFolder();
}

}  // namespace
}  // namespace install
