// The uninstaller after a real installation whose log was then damaged or edited, and with a
// file of the product held open: it touches nothing outside the product's places, undoes the
// rest, and its exit code says what it passed over or left.
#include <shlobj.h>
#include <shlwapi.h>

#include "uninstall/system_state.h"
#include "uninstall/uninstall_session.h"

namespace uninstall_test {
namespace {

using wizard::Narrow;

constexpr wchar_t kForeignKey[] = L"Software\\QxUninstallForeign";
// A sibling of the uninstall entry whose name begins with the product's.
constexpr wchar_t kSiblingKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaxel2";

class UninstallDamagedLog : public UninstallGroup {
 protected:
  void TearDown() override {
    // A link is removed as itself, before anything is removed through it.
    for (size_t i = 0; i < hostLinks_.size(); ++i)
      RemoveLink(i);
    if (!desktop_.empty()) MoveOnHost(desktop_ + L".qxsaved", desktop_);
    for (const std::wstring& path : ownPaths_)
      RemoveTree(path);
    SHDeleteKeyW(HKEY_CURRENT_USER, kForeignKey);
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kSiblingKey);
    UninstallGroup::TearDown();
  }

  // A file or folder of the test's own, outside the product's places.
  std::wstring OwnFile(const std::wstring& path) {
    ownPaths_.push_back(path);
    WriteWholeFile(path, "not the product's\r\n");
    return path;
  }
  std::wstring OwnFolder(const std::wstring& path) {
    ownPaths_.push_back(path);
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
  }

  std::string Log() const { return wizard::ReadFileBytes(Narrow(installation_.log())); }
  void SetLog(const std::string& text) const { WriteWholeFile(installation_.log(), text); }
  void AppendToLog(const std::wstring& lines) const {
    SetLog(Log() + wizard::Narrow(lines));  // the paths here are ASCII
  }

  // Runs the uninstaller quietly and expects exit code `expected`, then everything of the
  // installation gone: the state is `before` again.
  void ExpectUndoneTo(const SystemState& before, int expected) {
    UninstallerRun run;
    EXPECT_EQ(UninstallQuietly(&run), expected);
    ASSERT_TRUE(run.WaitForSelfRemoval(installation_));
    EXPECT_EQ(Differences(before, TakeSystemState()), "");
  }

  // Replaces the folder `path` with a link (a host symbolic link, which Wine shows as a reparse
  // point) to `target`.
  ::testing::AssertionResult LinkFolder(const std::wstring& path, const std::wstring& target) {
    const std::string link = UnixPath(path);
    RemoveTree(path);
    linkPaths_.push_back(path);
    hostLinks_.push_back(link);
    const auto linked = [&] {
      const DWORD attributes = GetFileAttributesW(path.c_str());
      return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    };
    if (link.empty() || !StartHostCommand("Z:\\bin\\ln", {"-s", UnixPath(target), link}) ||
        !wizard::WaitUntil(linked))
      return ::testing::AssertionFailure()
             << "no link at " << Narrow(path) << " that Wine shows as a reparse point";
    return ::testing::AssertionSuccess();
  }
  // Renames `from` to `to` on the host, where no process of Wine's keeps it (Wine's desktop
  // window keeps the desktop folder open).
  static bool MoveOnHost(const std::wstring& from, const std::wstring& to) {
    return StartHostCommand("Z:\\bin\\mv", {UnixPath(from), UnixPath(to)}) &&
           wizard::WaitUntil([&] { return IsThere(to) && !IsThere(from); });
  }
  // Removes the link that LinkFolder made as link `i`, as itself.
  bool RemoveLink(size_t i) {
    const std::wstring& path = linkPaths_[i];
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ||
           (StartHostCommand("Z:\\bin\\rm", {"-f", hostLinks_[i]}) && wizard::WaitUntil([&] {
              return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
            }));
  }

  std::vector<std::wstring> ownPaths_;
  std::wstring desktop_;  // the desktop, moved aside for a link in its place
  std::vector<std::wstring> linkPaths_;
  std::vector<std::string> hostLinks_;
};

// The lines of the uninstall entry, its key and values.
SystemState UninstallEntryLines(const SystemState& state) {
  SystemState lines;
  const std::wstring key = std::wstring(L"HKEY_LOCAL_MACHINE\\") + kUninstallKey;
  for (const std::wstring& line : state)
    if (line == L"key " + key || line.compare(0, 6 + key.size() + 1, L"value " + key + L"\\") == 0)
      lines.insert(line);
  return lines;
}

TEST_F(UninstallDamagedLog, FilesAndFoldersOutsideTheProductsPlacesStay) {
  const std::wstring file = OwnFile(L"C:\\qx-outside.txt");
  const std::wstring folder = OwnFolder(L"C:\\qx-outside");
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  const std::wstring climbing = installation_.folder + L"\\..\\..\\qx-outside.txt";
  AppendToLog(file + L"\r\n" + folder + L"\\\r\n" + climbing + L"\r\n" + installation_.folder +
              L"\\..\\..\\qx-outside\\\r\n");
  ExpectUndoneTo(before, kPassedOver);
}

TEST_F(UninstallDamagedLog, RegistryNamesOfOtherKeysStay) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kForeignKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"keep", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"mine"), 10);
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSiblingKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Other"), 12);
  RegCloseKey(key);
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  AppendToLog(std::wstring(L"[HKEY_CURRENT_USER\\") + kForeignKey + L"\\keep]\r\n" +
              L"[HKEY_CURRENT_USER\\" + kForeignKey + L"]\r\n" + L"[HKEY_LOCAL_MACHINE\\" +
              kSiblingKey + L"\\DisplayName]\r\n" + L"[HKEY_LOCAL_MACHINE\\" + kSiblingKey +
              L"]\r\n" + L"[HKEY_CLASSES_ROOT\\" + kUninstallKey + L"]\r\n");
  ExpectUndoneTo(before, kPassedOver);
}

// A folder of the installation replaced by a link to a folder of the user's, whose files bear
// the product's names: nothing is removed through the link. Once the link is gone, a second
// run finishes the job.
TEST_F(UninstallDamagedLog, NothingIsRemovedThroughALinkedFolder) {
  const std::wstring victim = OwnFolder(L"C:\\qx-victim");
  const std::wstring index = OwnFile(victim + L"\\index.html");
  const std::wstring start = OwnFile(victim + L"\\start.html");
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  ASSERT_TRUE(LinkFolder(installation_.folder + L"\\help\\english", victim));
  {
    UninstallerRun run;
    EXPECT_EQ(UninstallQuietly(&run), kSomeLeft);
    EXPECT_TRUE(run.LeftNoCopy());
  }
  EXPECT_EQ(wizard::ReadFileBytes(Narrow(index)), "not the product's\r\n");
  EXPECT_EQ(wizard::ReadFileBytes(Narrow(start)), "not the product's\r\n");
  EXPECT_FALSE(UninstallString().empty()) << "the uninstall entry stays for a second run";

  ASSERT_TRUE(RemoveLink(0));
  ExpectUndoneTo(before, kRemovedAll);
}

// The start-menu shortcut folder replaced by a link to a folder of another account's (chown
// nobody on the host) that holds the product's own shortcuts: nothing is removed through the
// link, and each shortcut is named.
TEST_F(UninstallDamagedLog, NothingIsRemovedThroughALinkedShortcutFolder) {
  const std::wstring victim = OwnFolder(L"C:\\qx-victim");
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  const std::wstring help = installation_.shortcutFolder + L"\\Help.lnk";
  const std::wstring kept = victim + L"\\Help.lnk";
  ASSERT_TRUE(CopyFileW(help.c_str(), kept.c_str(), TRUE));
  ownPaths_.push_back(kept);
  ASSERT_TRUE(ChangeOnHost("Z:\\bin\\chown", "nobody", victim));
  ASSERT_TRUE(LinkFolder(installation_.shortcutFolder, victim));
  {
    UninstallerRun run;
    ASSERT_TRUE(run.Start(UninstallString()));
    ExpectBox(run.AnswerBox(IDYES), ProductText(0, "un_confirm"), {IDYES, IDNO});
    const wizard::Confirmation report = run.AnswerBox(IDOK);
    EXPECT_NE(report.text.find(help + L"\n"), std::wstring::npos) << Narrow(report.text);
    EXPECT_EQ(run.WaitForExit(), kSomeLeft);
    EXPECT_TRUE(run.LeftNoCopy());
  }
  EXPECT_TRUE(IsThere(kept)) << "a shortcut of the product's, but behind a link";
  ASSERT_TRUE(RemoveLink(0));
  ExpectUndoneTo(Joined(before, ItemsAt({kept})), kRemovedAll);
}

// The desktop a link into a folder that only this user may change, as Wine's default prefix
// makes it: the installation puts its shortcut there, and uninstalling removes it.
TEST_F(UninstallDamagedLog, TheShortcutOnADesktopLinkedIntoATrustedFolderGoes) {
  const std::wstring target = OwnFolder(L"C:\\qx-desktop");
  desktop_ = wizard::Widen(wizard::SpecialFolder(CSIDL_DESKTOPDIRECTORY));
  ASSERT_TRUE(MoveOnHost(desktop_, desktop_ + L".qxsaved"));
  ASSERT_TRUE(LinkFolder(desktop_, target));
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  const std::wstring shortcut = target + installation_.desktopLink.substr(desktop_.size());
  ASSERT_TRUE(IsThere(shortcut));
  ExpectUndoneTo(before, kRemovedAll);  // the shortcut too
}

// An installation into a folder of the user's that everyone was then let change (chmod 777 on
// the host): nothing is removed, and the message says why. Once the folder is the user's alone
// again, everything goes.
TEST_F(UninstallDamagedLog, NothingIsRemovedBelowAFolderOthersMayChange) {
  const std::wstring above = OwnFolder(L"C:\\qx-above");
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install(false, L"qx-above", L"Quintaxel"));
  ASSERT_TRUE(ChangeOnHost("Z:\\bin\\chmod", "777", above));
  const SystemState installed = TakeSystemState();
  {
    UninstallerRun run;
    ASSERT_TRUE(run.Start(UninstallString()));
    ExpectBox(run.AnswerBox(IDYES), ProductText(0, "un_confirm"), {IDYES, IDNO});
    ExpectBox(run.AnswerBox(IDOK),
              wizard::FillSlots(ProductText(0, "un_untrusted"), {installation_.folder}), {IDOK});
    EXPECT_EQ(run.WaitForExit(), kNoLog);
    EXPECT_TRUE(run.LeftNoCopy());
  }
  EXPECT_EQ(Differences(installed, TakeSystemState()), "");
  ASSERT_TRUE(ChangeOnHost("Z:\\bin\\chmod", "755", above));
  ExpectUndoneTo(before, kRemovedAll);
}

// Shortcut-folder lines added to the log, naming an empty folder of the user's and one that
// holds a "Help.lnk" that points nowhere of the product's: neither is removed, nor the file.
TEST_F(UninstallDamagedLog, ShortcutFoldersAndShortcutsOfTheUsersStay) {
  const std::wstring empty = OwnFolder(L"C:\\qx-empty");
  const std::wstring other = OwnFolder(L"C:\\qx-other");
  const std::wstring help = OwnFile(other + L"\\Help.lnk");
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  const std::wstring registry =
      std::wstring(L"[HKEY_CURRENT_USER\\Software\\Vorlen Software\\Quintaxel\\language]\r\n");
  AppendToLog(registry + empty + L"\\\r\n" + registry + other + L"\\\r\n" + help + L"\r\n");
  ExpectUndoneTo(before, kRemovedAll);
}

// Another installation's shortcut folder with its Home page.url, which has the product's name
// and address: no shell link of this installation goes from there, so the .url is not its.
TEST_F(UninstallDamagedLog, AnInternetShortcutGoesOnlyWithALinkOfThisInstallation) {
  const std::wstring other = OwnFolder(L"C:\\qx-other-installation");
  const std::wstring homePage = other + L"\\Home page.url";
  ownPaths_.push_back(homePage);
  WriteWholeFile(homePage, "[InternetShortcut]\r\nURL=http://www.quintaxel.example/");
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  const std::wstring registry =
      std::wstring(L"[HKEY_CURRENT_USER\\Software\\Vorlen Software\\Quintaxel\\language]\r\n");
  AppendToLog(registry + other + L"\\\r\n" + homePage + L"\r\n");
  ExpectUndoneTo(before, kRemovedAll);
}

// A read-only file of the product's given a second name in a folder of the user's (a hard
// link): the flag is the file's, so it stays for both names, and the file is left.
TEST_F(UninstallDamagedLog, ReadOnlyFileWithASecondNameKeepsItsFlag) {
  const std::wstring own = OwnFolder(L"C:\\qx-own");
  ASSERT_TRUE(Install());
  const std::wstring licence = installation_.folder + L"\\license.eng.txt";
  const std::wstring second = own + L"\\license.txt";
  ASSERT_TRUE(SetFileAttributesW(licence.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateHardLinkW(second.c_str(), licence.c_str(), nullptr));
  ownPaths_.push_back(second);
  UninstallerRun run;
  EXPECT_EQ(UninstallQuietly(&run), kSomeLeft);
  EXPECT_TRUE(IsThere(licence));
  EXPECT_TRUE(GetFileAttributesW(second.c_str()) & FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(licence.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A log whose writing was cut off: its last line, the desktop shortcut's, has no line end and
// may name a shorter path, so the shortcut it named stays; everything else goes.
TEST_F(UninstallDamagedLog, LastLineCutInTheMiddleIsPassedOver) {
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  std::string log = Log();
  const std::string desktopLine = Narrow(installation_.desktopLink) + "\r\n";
  ASSERT_EQ(log.compare(log.size() - desktopLine.size(), desktopLine.size(), desktopLine), 0)
      << "the desktop shortcut's line is the last";
  log.resize(log.size() - desktopLine.size() / 2);
  SetLog(log);
  ExpectUndoneTo(Joined(before, ItemsAt({installation_.desktopLink})), kPassedOver);
}

// Nothing is done without a log to go by; with the log back, everything goes.
TEST_F(UninstallDamagedLog, EmptyLogChangesNothing) {
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  const std::string log = Log();
  SetLog("");
  const SystemState installed = TakeSystemState();

  UninstallerRun run;
  ASSERT_TRUE(run.Start(UninstallString()));
  ExpectBox(run.AnswerBox(IDYES), ProductText(0, "un_confirm"), {IDYES, IDNO});
  ExpectBox(run.AnswerBox(IDOK),
            wizard::FillSlots(ProductText(0, "un_no_log"), {installation_.log()}), {IDOK});
  EXPECT_EQ(run.WaitForExit(), kNoLog);
  EXPECT_TRUE(run.LeftNoCopy());
  EXPECT_EQ(Differences(installed, TakeSystemState()), "");

  SetLog(log);
  ExpectUndoneTo(before, kRemovedAll);
}

// A log over 16 MiB is a damaged one, though all it has past the real lines is line ends.
TEST_F(UninstallDamagedLog, LogOver16MiBChangesNothing) {
  ASSERT_TRUE(Install());
  SetLog(Log() + std::string(16 << 20, '\n'));
  const SystemState installed = TakeSystemState();
  UninstallerRun run;
  EXPECT_EQ(UninstallQuietly(&run), kNoLog);
  EXPECT_TRUE(run.LeftNoCopy());
  EXPECT_EQ(Differences(installed, TakeSystemState()), "");
}

// A file held open with no sharing is left and reported, and the uninstaller stays to be run
// again from the uninstall entry; once the file is closed, that run finishes the job.
TEST_F(UninstallDamagedLog, FileInUseIsLeftUntilTheNextRun) {
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  const std::wstring held = installation_.folder + L"\\help\\english\\index.html";
  HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::wstring folder = installation_.folder;
  {
    UninstallerRun run;
    ASSERT_TRUE(run.Start(UninstallString()));
    ExpectBox(run.AnswerBox(IDYES), ProductText(0, "un_confirm"), {IDYES, IDNO});
    // The file first, then its folders, deepest first.
    const std::wstring items =
        held + L"\n" + folder + L"\\help\\english\\\n" + folder + L"\\help\\\n" + folder + L"\\\n";
    ExpectBox(run.AnswerBox(IDOK), wizard::FillSlots(ProductText(0, "un_left"), {items}), {IDOK});
    const int exitCode = run.WaitForExit();
    CloseHandle(file);
    EXPECT_EQ(exitCode, kSomeLeft);
    EXPECT_TRUE(run.LeftNoCopy());
  }
  const SystemState left = TakeSystemState();
  const SystemState stays = ItemsAt({folder, folder + L"\\help", folder + L"\\help\\english", held,
                                     installation_.uninstaller(), installation_.log()});
  EXPECT_EQ(Differences(Joined(Joined(before, stays), UninstallEntryLines(left)), left), "")
      << "only the file in use, its folders, the uninstaller, its log and its entry stay";
  EXPECT_FALSE(UninstallString().empty()) << "the uninstall entry stays";
  ExpectUndoneTo(before, kRemovedAll);
}

}  // namespace
}  // namespace uninstall_test
