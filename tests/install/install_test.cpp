// Installations of the shipped setup.exe in English, made through the wizard's windows and read
// back from the system: a first installation into a new folder, a second one into the same
// folder, a third that fails, an existing folder holding a read-only file, a folder that cannot
// be made, one too long for the payload's sub-folders, places replaced by links, and a drive that
// fills during the copy.
#include <windows.h>

#include <sddl.h>

#include <cstdlib>

#include "install/install_group.h"
#include "require_all.h"

namespace install {
namespace {

using namespace wizard;

const char kLeaf[] = "QxInstallTest";

// Every folder of the payload below `folder`, as an installation has made them.
std::set<std::string> PayloadFolders(const std::string& folder,
                                     const std::vector<PayloadEntry>& entries) {
  std::set<std::string> folders;
  for (const PayloadEntry& entry : entries)
    for (size_t slash = entry.name.find('\\'); slash != std::string::npos;
         slash = entry.name.find('\\', slash + 1))
      folders.insert(folder + "\\" + entry.name.substr(0, slash));
  return folders;
}

// The shipped shortcut table: Quintaxel, Home page (a web address), Help and Uninstall.
struct ShippedShortcut {
  const char* nameKey;
  const char* targetKey;
  bool web;
};
const ShippedShortcut kShippedShortcuts[] = {{"sc1", "sc1src", false},
                                             {"sc2", "sc2src", true},
                                             {"sc3", "sc3src", false},
                                             {"sc4", "sc4src", false}};

// ---- Into Program Files\QxInstallTest, a folder with a space in its path: first with the
// desktop shortcut only, then again into the same folder with both kinds of shortcut.

class ShippedInstall : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Folder(), kLeaf);
    StartWizard();
  }
  static void TearDownTestSuite() { EndGroup(Folder(), kLeaf); }

  // The second installation is a run of its own: a test that finds the wizard ended by Finish
  // starts it again.
  void SetUp() override {
    if (wizard_ && !wizard_->Running()) StartWizard();
    InstallGroup::SetUp();
  }

  static std::string Folder() { return ProgramFiles() + "\\" + kLeaf; }
  static std::string Log() { return ReadBytes(Folder() + "\\install.log"); }

  static void ExpectShippedShortcuts(const std::string& shortcutFolder) {
    for (const ShippedShortcut& shortcut : kShippedShortcuts) {
      const std::string target = KeyText(shortcut.targetKey);
      const std::string file =
          shortcutFolder + "\\" + KeyText(shortcut.nameKey) + (shortcut.web ? ".url" : ".lnk");
      if (shortcut.web) {
        EXPECT_EQ(ReadBytes(file), InternetShortcutText(target)) << file;
        continue;
      }
      const ShellLink link = ReadShellLink(file);
      ASSERT_TRUE(link.loaded) << file;
      EXPECT_EQ(link.path, Folder() + "\\" + target) << file;
      EXPECT_EQ(link.description, "asdfgh") << file;
    }
  }

  static void ExpectDesktopShortcut() {
    const ShellLink link = ReadShellLink(DesktopShortcut());
    ASSERT_TRUE(link.loaded) << DesktopShortcut();
    EXPECT_EQ(link.path, Folder() + "\\quintaxel.exe");
    EXPECT_EQ(link.description, "asdfgh");
  }

  static FinishState finish_;
  static std::string firstLog_;
};

FinishState ShippedInstall::finish_;
std::string ShippedInstall::firstLog_;

TEST_F(ShippedInstall, FirstRunReachesTheFinishPageWithEveryFileCopied) {
  ASSERT_TRUE(ChooseInstallFolder(1, kLeaf, Folder()));
  ASSERT_TRUE(ChooseShortcutFolder(kLeaf));
  ASSERT_TRUE(ChooseShortcuts(false, true));
  ASSERT_TRUE(Install(&finish_));
  EXPECT_EQ(finish_.finishText, Shown("7_01"));
  EXPECT_TRUE(finish_.launchChecked);
  EXPECT_EQ(finish_.barPosition, 100);
  // The copy page as the worker left it: the last status set, the last file copied.
  EXPECT_EQ(finish_.copyStatus, Shown("6_04"));
  EXPECT_EQ(finish_.copyFile,
            FillSlots(Shown("6_05"), {Widen(Folder() + "\\" + ShippedPayload().back().name)}));
}

TEST_F(ShippedInstall, FirstRunWroteEachPayloadFileWithItsPackageTimes) {
  ASSERT_FALSE(ShippedPayload().empty());
  for (const PayloadEntry& entry : ShippedPayload())
    EXPECT_TRUE(InstalledAs(Folder() + "\\" + entry.name, entry));
}

TEST_F(ShippedInstall, FirstRunLogsTheNewFolderItsFilesTheRegistryAndTheDesktopShortcut) {
  firstLog_ = Log();
  EXPECT_EQ(firstLog_, CopyLines(Folder(), ShippedPayload(), true) + RegistryLines() +
                           FileLine(DesktopShortcut()));
}

TEST_F(ShippedInstall, FirstRunRegistersTheQuotedUninstallerAndTheLanguage) {
  EXPECT_TRUE(IsStringValue(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"),
                            "Quintaxel"));
  EXPECT_TRUE(IsStringValue(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
                            "\"" + Folder() + "\\uninstall.exe\""));
  EXPECT_TRUE(
      IsStringValue(ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "language"), "&English"));
}

TEST_F(ShippedInstall, FirstRunMadeOnlyTheDesktopShortcut) {
  ExpectDesktopShortcut();
  EXPECT_FALSE(FolderExists(Programs(kLeaf)));
  EXPECT_FALSE(FolderWindowShows(1000)) << "no shortcut folder to open";
}

TEST_F(ShippedInstall, FinishWithLaunchUncheckedStartsNothing) {
  UntickLaunch();
  ASSERT_TRUE(Finish());
  EXPECT_EQ(WaitForProductWindow(2000), nullptr);
}

TEST_F(ShippedInstall, SecondRunAppendsACompleteSetOfLinesAfterTheFirst) {
  ASSERT_FALSE(firstLog_.empty()) << "runs after the first installation";
  ASSERT_TRUE(ChooseInstallFolder(1, kLeaf, Folder()));
  ASSERT_TRUE(ChooseShortcutFolder(kLeaf));
  ASSERT_TRUE(ChooseShortcuts(true, true));
  ASSERT_TRUE(Install(&finish_));
  CloseFolderWindows(5000);  // the installation opened the shortcut folder
  EXPECT_EQ(finish_.finishText, Shown("7_01"));
  EXPECT_EQ(finish_.barPosition, 100);

  std::string second =
      CopyLines(Folder(), ShippedPayload(), false, PayloadFolders(Folder(), ShippedPayload())) +
      RegistryLines() + FolderLine(Programs(kLeaf));
  for (const ShippedShortcut& shortcut : kShippedShortcuts)
    second += FileLine(Programs(kLeaf) + "\\" + KeyText(shortcut.nameKey) +
                       (shortcut.web ? ".url" : ".lnk"));
  second += FileLine(DesktopShortcut());
  EXPECT_EQ(Log(), firstLog_ + second);
  for (const PayloadEntry& entry : ShippedPayload())
    EXPECT_EQ(ReadBytes(Folder() + "\\" + entry.name), entry.data) << entry.name;
}

TEST_F(ShippedInstall, SecondRunMadeBothKindsOfShortcut) {
  EXPECT_EQ(ShortcutFiles(Programs(kLeaf)),
            (std::vector<std::string>{KeyText("sc3") + ".lnk", KeyText("sc2") + ".url",
                                      KeyText("sc1") + ".lnk", KeyText("sc4") + ".lnk"}));
  ExpectShippedShortcuts(Programs(kLeaf));
  ExpectDesktopShortcut();
  EXPECT_TRUE(IsStringValue(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
                            "\"" + Folder() + "\\uninstall.exe\""));
}

TEST_F(ShippedInstall, FinishWithLaunchCheckedStartsTheInstalledProgram) {
  ASSERT_TRUE(IsChecked(Control(kLaunchId)));
  ASSERT_TRUE(Finish());
  HWND product = WaitForProductWindow(15000);
  ASSERT_NE(product, nullptr) << "no window of the installed program";
  DWORD id = 0;
  GetWindowThreadProcessId(product, &id);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  char image[MAX_PATH] = "";
  DWORD length = sizeof image;
  QueryFullProcessImageNameA(process, 0, image, &length);
  const std::string workingFolder = CurrentFolderOf(process);
  CloseHandle(process);
  EXPECT_EQ(lstrcmpiA(image, (Folder() + "\\quintaxel.exe").c_str()), 0) << image;
  // Not setup's own folder, where anybody may have left a library of a system name.
  EXPECT_EQ(lstrcmpiA(workingFolder.c_str(), (Folder() + "\\").c_str()), 0) << workingFolder;
  EndProduct(product);
}

// A leaf Windows refuses: page 3 says so, nothing is made, and the installation registered
// before stays so.
TEST_F(ShippedInstall, AFailedThirdRunKeepsTheEntryOfTheInstallationBefore) {
  const std::string log = Log();
  ASSERT_NE(log, "") << "runs after the first installation";
  ASSERT_TRUE(ChooseInstallFolder(1, "Quint|axel", ProgramFiles() + "\\Quint|axel"));
  wizard_->Click(kNextId);
  EXPECT_TRUE(WaitUntil([] { return Text(PanelChild(3, 8)) == Shown("3_06"); }, 3000));
  EXPECT_EQ(wizard_->VisiblePage(), 3);
  EXPECT_EQ(Log(), log);
  EXPECT_TRUE(IsStringValue(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
                            "\"" + Folder() + "\\uninstall.exe\""));
}

// An uninstall entry that cannot be written (its key lets everyone only read it): every file
// is there, so the product may be started, and page 7 says that it is not registered.
TEST_F(ShippedInstall, AnEntryThatCannotBeWrittenIsNamedOnTheLastPage) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, WRITE_DAC, &key), ERROR_SUCCESS)
      << "runs after the first installation";
  const auto setDacl = [&](const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool set = ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                          &descriptor, nullptr) &&
                     RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == 0;
    LocalFree(descriptor);
    return set;
  };
  ASSERT_TRUE(setDacl("D:P(A;;KR;;;WD)"));
  ASSERT_TRUE(ChooseInstallFolder(1, kLeaf, Folder()));
  ASSERT_TRUE(ChooseShortcuts(false, false));
  FinishState finish;
  const bool installed = Install(&finish);
  EXPECT_TRUE(setDacl("D:(A;;KA;;;WD)"));
  RegCloseKey(key);
  ASSERT_TRUE(installed);
  EXPECT_EQ(finish.finishText, Shown("7_08"));
  EXPECT_TRUE(finish.launchChecked);
  UntickLaunch();
  ASSERT_TRUE(Finish());
}

// A shortcut that cannot be written, held open by another program: every file of the product
// is there, so it may be started, and page 7 says that shortcuts are missing.
TEST_F(ShippedInstall, AShortcutThatCannotBeWrittenIsNamedOnTheLastPage) {
  const std::string help = Programs(kLeaf) + "\\Help.lnk";
  const std::string shortcut = ReadBytes(help);
  ASSERT_NE(shortcut, "") << "runs after the second installation";
  const HANDLE holder =
      CreateFileA(help.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(ChooseInstallFolder(1, kLeaf, Folder()));
  ASSERT_TRUE(ChooseShortcutFolder(kLeaf));
  ASSERT_TRUE(ChooseShortcuts(true, false));
  FinishState finish;
  const bool installed = Install(&finish);
  CloseHandle(holder);
  ASSERT_TRUE(installed);
  EXPECT_EQ(finish.finishText, Shown("7_09"));
  EXPECT_TRUE(finish.launchChecked);
  EXPECT_EQ(ReadBytes(help), shortcut);
  UntickLaunch();
  ASSERT_TRUE(Finish());
}

// ---- An existing folder of an earlier installation: its log lists the one payload file it
// still holds, read-only, and it holds one of the payload's folders; no shortcuts.

class ReadOnlyTarget : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Folder(), kShortcutLeaf);
    CreateDirectoryA(Folder().c_str(), nullptr);
    CreateDirectoryA((Folder() + "\\help").c_str(), nullptr);
    WriteBytes(LockedFile(), kUserText);
    WriteBytes(Folder() + "\\install.log", EarlierLog());
    SetFileAttributesA(LockedFile().c_str(), FILE_ATTRIBUTE_READONLY);
    // Wine run as root (as here) writes over a read-only file all the same: the file is also
    // held open without sharing, as a running program holds it.
    holder_ =
        CreateFileA(LockedFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    StartWizard();
  }
  static void TearDownTestSuite() {
    ReleaseLockedFile();
    EndGroup(Folder(), kShortcutLeaf);
  }

  static void ReleaseLockedFile() {
    if (holder_ != INVALID_HANDLE_VALUE) CloseHandle(holder_);
    holder_ = INVALID_HANDLE_VALUE;
  }

  static std::string Folder() { return ProgramFiles().substr(0, 3) + kLeaf; }
  static std::string LockedFile() { return Folder() + "\\quintaxel.lng"; }
  static std::string EarlierLog() { return LockedFile() + "\r\n"; }
  static constexpr char kLeaf[] = "QxInstallReadOnly";
  static constexpr char kShortcutLeaf[] = "QxInstallNone";
  static constexpr char kUserText[] = "an earlier installation's file, read-only";
  static HANDLE holder_;
};

HANDLE ReadOnlyTarget::holder_ = INVALID_HANDLE_VALUE;

TEST_F(ReadOnlyTarget, IsPassedOverAndTheFinishPageSaysSo) {
  // The whole path typed, and no folder clicked: that is where the files go.
  ASSERT_TRUE(GoToPage(3));
  wizard_->SetEditText(Control(kInstallEditId), Widen(Folder()));
  ASSERT_TRUE(ChooseShortcutFolder(kShortcutLeaf));
  ASSERT_TRUE(ChooseShortcuts(false, false));
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  ExpectFilesMissing(finish);
  EXPECT_GT(finish.barPosition, 0);
  EXPECT_LT(finish.barPosition, 100) << "the read-only file's bytes were never written";
  EXPECT_EQ(finish.copyStatus, Shown("6_03")) << "no shortcut step ran";

  ReleaseLockedFile();
  EXPECT_EQ(ReadBytes(LockedFile()), kUserText);
  for (const PayloadEntry& entry : ShippedPayload()) {
    if (entry.name != "quintaxel.lng") {
      EXPECT_TRUE(InstalledAs(Folder() + "\\" + entry.name, entry));
    }
  }
}

TEST_F(ReadOnlyTarget, LogStartsWithItsOwnLineAndKeepsTheLinesOfThePassedOverFile) {
  EXPECT_EQ(ReadBytes(Folder() + "\\install.log"),
            EarlierLog() + CopyLines(Folder(), ShippedPayload(), false, {Folder() + "\\help"}) +
                RegistryLines());
}

TEST_F(ReadOnlyTarget, NoShortcutsMeansNoShortcutFolderAndNoDesktopShortcut) {
  EXPECT_FALSE(FolderExists(Programs(kShortcutLeaf)));
  EXPECT_FALSE(FileExists(DesktopShortcut()));
  EXPECT_TRUE(IsStringValue(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
                            Folder() + "\\uninstall.exe"))
      << "a path without a space is registered as it is";
}

TEST_F(ReadOnlyTarget, FinishStartsNothing) {
  ASSERT_TRUE(Finish());
  EXPECT_EQ(WaitForProductWindow(2000), nullptr);
}

// ---- A file where the install folder should be: nothing can be created in it.

class BlockedFolder : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Blocker());
    WriteBytes(Blocker(), kBlockerText);
    StartWizard();
  }
  static void TearDownTestSuite() { EndGroup(Blocker()); }

  static std::string Blocker() { return ProgramFiles().substr(0, 3) + "Blocked"; }
  static constexpr char kBlockerText[] = "a file, not a folder";
};

// ".." below Program Files is the drive root, and the pages say so as soon as they are left.
TEST_F(BlockedFolder, TypedDotDotIsShownAsTheFolderItNames) {
  ASSERT_TRUE(ChooseInstallFolder(1, "..", ProgramFiles() + "\\.."));
  wizard_->Click(kNextId);
  ASSERT_TRUE(wizard_->WaitForPage(4, PageText(4, "_cancel")));
  wizard_->Click(kBackId);
  ASSERT_TRUE(wizard_->WaitForPage(3, PageText(3, "_cancel")));
  EXPECT_EQ(Text(Control(kInstallEditId)), Widen(ProgramFiles().substr(0, 3)));
}

TEST_F(BlockedFolder, WizardStillReachesTheFinishPageAndSaysTheFolderCannotBeMade) {
  ASSERT_TRUE(ChooseInstallFolder(0, "Blocked", Blocker()));
  ASSERT_TRUE(ChooseShortcuts(false, false));
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  // The folder cannot be made: no program is to blame.
  EXPECT_EQ(finish.finishText, Shown("7_05"));
  EXPECT_FALSE(finish.launchChecked);
  EXPECT_EQ(finish.barPosition, 0);
  EXPECT_TRUE(FileExists(Blocker()));
  EXPECT_EQ(ReadBytes(Blocker()), kBlockerText);
  // No log, no uninstaller: nothing is registered that could not be undone.
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
  ASSERT_TRUE(Finish());
}

// ---- An install folder so long that only the payload's top-level files would fit under it:
// page 3 refuses it, rather than an installation that lacks files or cannot be undone.

class LongFolder : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Folder());
    StartWizard();
  }
  static void TearDownTestSuite() { EndGroup(Folder()); }

  static std::string Leaf() { return std::string(240, 'L'); }
  static std::string Folder() { return ProgramFiles().substr(0, 3) + Leaf(); }
};

TEST_F(LongFolder, IsRefusedOnPageThreeWhenOnePathWouldNotFit) {
  ASSERT_EQ(Folder().size(), 243u);
  ASSERT_TRUE(ChooseInstallFolder(0, Leaf(), Folder()));
  wizard_->Click(kNextId);
  EXPECT_TRUE(WaitUntil([] { return Text(PanelChild(3, 8)) == Shown("3_06"); }, 3000));
  EXPECT_EQ(wizard_->VisiblePage(), 3);
  EXPECT_FALSE(FolderExists(Folder()));
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
}

// ---- Places that another user replaced by links to folders of their own (another host
// account's): the shortcut folder in the Programs menu, then the help folder in an install
// folder. Nothing is written through a link, and the finish page says what was not made. A link
// into a folder that only trusted accounts may change, as Wine makes the desktop, is followed.

class LinkedPlaces : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Folder(), kShortcutLeaf);
    for (const std::string& folder : {UsersFolder(), UsersHelp(), HostDesktop()}) {
      RemoveTree(folder);
      CreateDirectoryA(folder.c_str(), nullptr);
    }
    WriteBytes(UsersFolder() + "\\Help.lnk", kUsersText);
    ASSERT_NE(Desktop(), "");
    EXPECT_TRUE(ChangeOnHost("Z:\\bin\\chown nobody", UsersFolder()));
    EXPECT_TRUE(ChangeOnHost("Z:\\bin\\chown nobody", UsersHelp()));
    StartWizard();
  }
  static void TearDownTestSuite() {
    RemoveHostLink(Programs(kShortcutLeaf));
    RemoveHostLink(Folder() + "\\help");
    PutDesktopBack();
    EndGroup(Folder(), kShortcutLeaf);
    RemoveTree(UsersFolder());
    RemoveTree(UsersHelp());
    RemoveTree(HostDesktop());
  }
  static void PutDesktopBack() {
    if (!FolderExists(SavedDesktop())) return;
    RemoveHostLink(Desktop());
    EXPECT_TRUE(MoveOnHost(SavedDesktop(), Desktop()));
  }
  // Each case is a run of its own.
  void SetUp() override {
    if (wizard_ && !wizard_->Running()) StartWizard();
    InstallGroup::SetUp();
  }

  // Installs with the desktop shortcut alone while the desktop is a host link to HostDesktop().
  // Moved on the host: Wine's desktop watches the folder, which keeps Windows from moving it.
  static ::testing::AssertionResult InstallOnLinkedDesktop(FinishState* finish) {
    if (!MoveOnHost(Desktop(), SavedDesktop()) || !MakeHostLink(Desktop(), HostDesktop()))
      return ::testing::AssertionFailure() << "the desktop is no link";
    ::testing::AssertionResult done = ChooseInstallFolder(0, kLeaf, Folder());
    if (done) done = ChooseShortcuts(false, true);
    return done ? Install(finish) : done;
  }
  static std::string Folder() { return ProgramFiles().substr(0, 3) + kLeaf; }
  static std::string UsersFolder() { return ProgramFiles().substr(0, 3) + "QxUsersFolder"; }
  static std::string UsersHelp() { return ProgramFiles().substr(0, 3) + "QxUsersHelp"; }
  static std::string HostDesktop() { return ProgramFiles().substr(0, 3) + "QxHostDesktop"; }
  // Asked once, while the desktop is a folder: the shell knows no desktop while it is moved away.
  static std::string Desktop() {
    static const std::string desktop = DesktopFolder();
    return desktop;
  }
  static std::string SavedDesktop() { return Desktop() + ".qxsaved"; }
  static constexpr char kLeaf[] = "QxLinkedPlaces";
  static constexpr char kShortcutLeaf[] = "QxLinkedShortcuts";
  static constexpr char kUsersText[] = "the user's own file";
};

TEST_F(LinkedPlaces, AShortcutFolderThatIsALinkIsRefusedOnPageFour) {
  ASSERT_TRUE(MakeHostLink(Programs(kShortcutLeaf), UsersFolder()));
  ASSERT_TRUE(ChooseInstallFolder(0, kLeaf, Folder()));
  ASSERT_TRUE(ChooseShortcutFolder(kShortcutLeaf));
  ASSERT_TRUE(ChooseShortcuts(true, false));
  wizard_->Click(kNextId);
  EXPECT_TRUE(WaitUntil([] { return Text(PanelChild(4, 4)) == Shown("3_04"); }, 3000))
      << Narrow(Text(PanelChild(4, 4)));
  EXPECT_EQ(wizard_->VisiblePage(), 4);
  // Without the folder's shortcuts the rest installs.
  ASSERT_TRUE(ChooseShortcuts(false, false));
  EXPECT_EQ(Text(PanelChild(4, 4)), L"") << "the line went with the choice it judged";
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  EXPECT_EQ(finish.finishText, Shown("7_01"));
  EXPECT_TRUE(finish.launchChecked);
  EXPECT_EQ(ShortcutFiles(UsersFolder()), std::vector<std::string>{"Help.lnk"});
  EXPECT_EQ(ReadBytes(UsersFolder() + "\\Help.lnk"), kUsersText);
  // The product itself is there and registered; the shortcut folder has no line.
  EXPECT_EQ(ReadBytes(Folder() + "\\install.log"),
            CopyLines(Folder(), ShippedPayload(), true) + RegistryLines());
  ASSERT_TRUE(Finish());
  // Finish started the product, which the next installation must not find running.
  HWND product = WaitForProductWindow(10000);
  EXPECT_NE(product, nullptr);
  if (product) EndProduct(product);
}

TEST_F(LinkedPlaces, AHelpFolderThatIsALinkGetsNothing) {
  const std::string firstLog = ReadBytes(Folder() + "\\install.log");
  ASSERT_NE(firstLog, "") << "runs after the first installation";
  RemoveTree(Folder() + "\\help");
  ASSERT_TRUE(MakeHostLink(Folder() + "\\help", UsersHelp()));
  ASSERT_TRUE(ChooseInstallFolder(0, kLeaf, Folder()));
  ASSERT_TRUE(ChooseShortcuts(false, false));
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  ExpectFilesMissing(finish);
  // Every help page lies in a language's folder: none of them was made through the link.
  EXPECT_FALSE(FolderExists(UsersHelp() + "\\english") || FolderExists(UsersHelp() + "\\russian"));
  std::vector<PayloadEntry> outsideHelp;
  for (const PayloadEntry& entry : ShippedPayload())
    if (entry.name.compare(0, 5, "help\\") != 0) outsideHelp.push_back(entry);
  EXPECT_EQ(ReadBytes(Folder() + "\\install.log"),
            firstLog + CopyLines(Folder(), outsideHelp, false) + RegistryLines());
  ASSERT_TRUE(Finish());
}

TEST_F(LinkedPlaces, ADesktopThatIsALinkIntoATrustedFolderGetsItsShortcut) {
  RemoveHostLink(Folder() + "\\help");  // the case before left it
  FinishState finish;
  ASSERT_TRUE(InstallOnLinkedDesktop(&finish));
  EXPECT_EQ(finish.finishText, Shown("7_01"));
  EXPECT_TRUE(finish.launchChecked);
  EXPECT_EQ(ShortcutFiles(HostDesktop()), std::vector<std::string>{KeyText("sc1") + ".lnk"});
  UntickLaunch();
  ASSERT_TRUE(Finish());
  PutDesktopBack();
}

// The desktop is no folder the user chose: one that other users may change costs the
// installation its shortcut alone, and page 7 says so.
TEST_F(LinkedPlaces, ADesktopThatIsALinkIntoAnUntrustedFolderGetsNoShortcut) {
  RemoveTree(HostDesktop());
  CreateDirectoryA(HostDesktop().c_str(), nullptr);
  ASSERT_TRUE(ChangeOnHost("Z:\\bin\\chown nobody", HostDesktop()));
  FinishState finish;
  ASSERT_TRUE(InstallOnLinkedDesktop(&finish));
  EXPECT_EQ(finish.finishText, Shown("7_06"));
  EXPECT_TRUE(finish.launchChecked);
  EXPECT_EQ(ShortcutFiles(HostDesktop()), std::vector<std::string>{});
  UntickLaunch();
  ASSERT_TRUE(Finish());
  PutDesktopBack();
}

// ---- Folders that cannot be installed into: those that other accounts may change (one that
// everyone may modify, chmod 777 on the host; one of another owner, chown nobody; a link in the
// first), one on no fixed drive, one too long for the payload, one inside Windows and another
// product's folder. Each is refused on Next of page 3, with its reason, before anything is made;
// and a folder that becomes untrusted after page 3 is refused by the copy, which makes nothing.

class UntrustedFolders : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    PrepareGroup(Late() + "\\Quintaxel");
    for (const std::string& folder : {Open(), Others(), OtherProduct(), Late(), LateShortcuts()}) {
      RemoveTree(folder);
      CreateDirectoryA(folder.c_str(), nullptr);
    }
    WriteBytes(OtherProduct() + "\\uninstall.exe", kOtherText);
    EXPECT_TRUE(ChangeOnHost("Z:\\bin\\chmod 777", Open()));
    EXPECT_TRUE(ChangeOnHost("Z:\\bin\\chown nobody", Others()));
    EXPECT_TRUE(MakeHostLink(Open() + "\\QxLink", Late()));
    StartWizard();
  }
  static void TearDownTestSuite() {
    RemoveHostLink(Open() + "\\QxLink");
    EndGroup(Late() + "\\Quintaxel");
    for (const std::string& folder : {Open(), Others(), OtherProduct(), Late(), LateShortcuts()})
      RemoveTree(folder);
  }
  // A case that installs ends the program: the next one starts it again.
  void SetUp() override {
    if (!wizard_->Running()) StartWizard();
    InstallGroup::SetUp();
  }

  // Page 3 with `folder` typed in whole.
  static ::testing::AssertionResult TypeInstallFolder(const std::string& folder,
                                                      const std::wstring& typed = L"") {
    const ::testing::AssertionResult shown = GoToPage(3);
    if (!shown) return shown;
    wizard_->SetEditText(Control(kInstallEditId), typed.empty() ? Widen(folder) : typed);
    return ::testing::AssertionSuccess();
  }

  static std::string Root() { return ProgramFiles().substr(0, 3); }
  static std::string Open() { return Root() + "QxOpenToAll"; }
  static std::string Others() { return Root() + "QxOthers"; }
  static std::string OtherProduct() { return Root() + "QxOtherProduct"; }
  static std::string Late() { return Root() + "QxOpenedLater"; }
  static std::string LateShortcuts() { return Root() + "QxShortcutsOpenedLater"; }
  static constexpr char kOtherText[] = "another product's uninstaller";
};

TEST_F(UntrustedFolders, AreRefusedOnPageThreeWithTheirReasonBeforeAnythingIsMade) {
  char windows[MAX_PATH] = "";
  ASSERT_NE(GetWindowsDirectoryA(windows, sizeof windows), 0u);
  const std::string tooLong = Root() + std::string(250, 'L');
  const struct {
    std::string folder;
    const char* key;
    std::wstring typed;  // when not the folder itself
    int page = 3;        // 4: the shortcut folder, judged on Next of page 4
  } rows[] = {
      {Open() + "\\Quintaxel", "3_04"},
      {Others(), "3_04"},
      {Open() + "\\QxLink", "3_04"},
      {"\\\\server\\share\\x", "3_05"},
      {"\\\\?\\" + Late() + "\\Qx", "3_05"},
      {"q:\\Qx", "3_05"},
      {tooLong, "3_06"},
      {std::string(windows) + "\\Qx", "3_07"},
      {OtherProduct(), "3_09"},
      // An omega, which the code page lacks, is never taken as "O" or "?".
      {Late() + "\\QO", "3_11", Widen(Late()) + L"\\Q\u03a9"},
      {Open() + "\\Quintaxel", "3_04", L"", 4},
      {"\\\\server\\share\\x", "3_05", L"", 4},
      {"q:\\Qx", "3_05", L"", 4},
      {tooLong, "3_06", L"", 4},
      {Late() + "\\QO", "3_11", Widen(Late()) + L"\\Q\u03a9", 4},
  };
  for (const auto& row : rows) {
    const bool shortcuts = row.page == 4;
    if (shortcuts)
      ASSERT_TRUE(TypeInstallFolder(Late() + "\\Quintaxel"));
    else
      ASSERT_TRUE(TypeInstallFolder(row.folder, row.typed));
    if (shortcuts) {
      ASSERT_TRUE(ChooseShortcuts(true, false));
      wizard_->SetEditText(Control(kShortcutEditId),
                           row.typed.empty() ? Widen(row.folder) : row.typed);
    }
    const HWND line = PanelChild(row.page, shortcuts ? 4 : 8);
    wizard_->Click(kNextId);
    EXPECT_TRUE(WaitUntil([&] { return Text(line) == Shown(row.key); }, 3000))
        << row.folder << ": " << Narrow(Text(line));
    EXPECT_EQ(wizard_->VisiblePage(), row.page) << row.folder;
    wizard_->SetEditText(Control(shortcuts ? kShortcutEditId : kInstallEditId), L"");
  }
  EXPECT_FALSE(FolderExists(Open() + "\\Quintaxel"));
  EXPECT_FALSE(FileExists(Others() + "\\install.log"));
  EXPECT_FALSE(FolderExists(Late() + "\\Qx"));
  EXPECT_FALSE(FolderExists(Late() + "\\QO"));
  EXPECT_FALSE(FolderExists(Late() + "\\Quintaxel"));
  EXPECT_FALSE(FolderExists(tooLong));
  EXPECT_FALSE(FolderExists(std::string(windows) + "\\Qx"));
  EXPECT_EQ(ReadBytes(OtherProduct() + "\\uninstall.exe"), kOtherText);
  EXPECT_FALSE(FileExists(OtherProduct() + "\\install.log"));
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
}

// A shortcut folder taken on page 4 and opened to all before the copy: the copy checks it again,
// installs nothing, and page 7 says why.
TEST_F(UntrustedFolders, AShortcutFolderOpenedToAllAfterPageFourIsRefusedByTheCopy) {
  ASSERT_TRUE(TypeInstallFolder(Late() + "\\Quintaxel"));
  ASSERT_TRUE(ChooseShortcuts(true, false));
  wizard_->SetEditText(Control(kShortcutEditId), Widen(LateShortcuts()));
  ASSERT_TRUE(GoToPage(5));
  ASSERT_TRUE(ChangeOnHost("Z:\\bin\\chmod 777", LateShortcuts()));
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  EXPECT_EQ(finish.finishText, FillSlots(Shown("7_07"), {Shown("3_04")}));
  EXPECT_FALSE(FolderExists(Late() + "\\Quintaxel"));
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
  ASSERT_TRUE(Finish());
}

TEST_F(UntrustedFolders, AFolderOpenedToAllAfterPageThreeIsRefusedByTheCopy) {
  ASSERT_TRUE(TypeInstallFolder(Late() + "\\Quintaxel"));
  ASSERT_TRUE(ChooseShortcuts(false, true));
  EXPECT_EQ(Text(PanelChild(3, 8)), L"") << "page 3 took the folder";
  ASSERT_TRUE(ChangeOnHost("Z:\\bin\\chmod 777", Late()));
  FinishState finish;
  ASSERT_TRUE(Install(&finish));
  EXPECT_EQ(finish.finishText, Shown("7_05"));
  EXPECT_FALSE(finish.launchChecked);
  EXPECT_FALSE(FolderExists(Late() + "\\Quintaxel"));
  EXPECT_FALSE(FileExists(DesktopShortcut()));
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
  ASSERT_TRUE(Finish());
}

// ---- A drive too small for the payload: a tmpfs of 128 KiB that tests/install/full_disk.sh
// mounts (it needs root) and names in QX_SMALL_DRIVE, mapped here as a drive letter.

class FullDisk : public InstallGroup {
 protected:
  static void SetUpTestSuite() {
    const char* mountPoint = std::getenv("QX_SMALL_DRIVE");
    lacking_.clear();
    if (!mountPoint) {
      lacking_ = "no small drive: full_disk.sh could not mount a tmpfs (it needs root)";
      return;
    }
    drive_.reset(new ExtraDrive(mountPoint));
    if (!drive_->letter()) {
      lacking_ = "Wine's mount manager refused a drive letter for the small drive";
      return;
    }
    PrepareGroup(Folder());
    StartWizard();
  }
  static void TearDownTestSuite() {
    if (drive_ && drive_->letter()) EndGroup(Folder());
    drive_.reset();
  }

  void SetUp() override {
    if (!lacking_.empty()) QX_SKIP_OR_FAIL(lacking_);
    InstallGroup::SetUp();
  }

  static std::string Leaf() { return "Quintaxel" + std::string(190, 'q'); }
  static std::string Folder() { return drive_->root() + Leaf(); }

  // Page 3: the drive selector moved down to the small drive.
  static ::testing::AssertionResult ChooseSmallDrive() {
    const ::testing::AssertionResult shown = GoToPage(3);
    if (!shown) return shown;
    HWND selector = Control(kDriveSelectorId);
    for (int step = 0; step < 26; ++step) {
      const LRESULT selected = Ask(selector, CB_GETCURSEL);
      if (LOWORD(Ask(selector, CB_GETITEMDATA, selected)) == drive_->letter())
        return ::testing::AssertionSuccess();
      wizard_->ComboDown(selector);
      Settle(wizard_->main());
    }
    return ::testing::AssertionFailure() << "the drive selector does not offer the small drive";
  }

  static std::unique_ptr<ExtraDrive> drive_;
  static std::string lacking_;  // what the machine lacks for the group, when it does
};

std::unique_ptr<ExtraDrive> FullDisk::drive_;
std::string FullDisk::lacking_;

// The payload needs more than the drive holds: page 3 says so, and nothing is made.
TEST_F(FullDisk, TooLittleFreeSpaceIsRefusedOnPageThree) {
  ASSERT_TRUE(ChooseSmallDrive());
  ASSERT_TRUE(ChooseInstallFolder(0, Leaf(), Folder()));
  wizard_->Click(kNextId);
  EXPECT_TRUE(WaitUntil([] { return Text(PanelChild(3, 8)) == Shown("3_08"); }, 3000));
  EXPECT_EQ(wizard_->VisiblePage(), 3);
  EXPECT_FALSE(FolderExists(Folder()));
  EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").present);
}

}  // namespace
}  // namespace install
