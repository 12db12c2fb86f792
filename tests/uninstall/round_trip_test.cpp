// The round trip as a user makes it: the state of the prefix, an installation through the wizard,
// the uninstaller started from the uninstall entry, and the state again, which is the one before
// but for the files the user put into the install folder.
#include "require_all.h"
#include "uninstall/system_state.h"
#include "uninstall/uninstall_session.h"

namespace uninstall_test {
namespace {

using wizard::Narrow;

constexpr UINT kCyrillic = 1251;
constexpr UINT kJapanese = 932;

class UninstallRoundTrip : public UninstallGroup {
 protected:
  // Files of the user's own in the install folder and in a new folder inside it; the paths of
  // what must stay, folders included.
  std::vector<std::wstring> AddUsersFiles() const {
    const std::wstring notes = installation_.folder + L"\\my notes.txt";
    const std::wstring folder = installation_.folder + L"\\My drawings";
    const std::wstring drawing = folder + L"\\first.txt";
    WriteWholeFile(notes, "the user's notes\r\n");
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteWholeFile(drawing, "the user's drawing\r\n");
    return {installation_.folder, notes, folder, drawing};
  }

  // The whole trip with the user's files, answered through the boxes in language `section`.
  void RoundTripWithUsersFiles(bool russian) {
    const int section = russian ? 1 : 0;
    const UINT codePage = russian ? kCyrillic : CP_ACP;
    const SystemState before = TakeSystemState();
    ASSERT_TRUE(Install(russian));
    const std::vector<std::wstring> kept = AddUsersFiles();
    const SystemState installed = TakeSystemState();

    const std::wstring question = ProductText(section, "un_confirm", codePage);
    {  // Answering No changes nothing.
      UninstallerRun run;
      ASSERT_TRUE(run.Start(UninstallString()));
      ExpectBox(run.AnswerBox(IDNO), question, {IDYES, IDNO}, section, codePage);
      EXPECT_EQ(run.WaitForExit(), kDeclined);
      EXPECT_TRUE(run.LeftNoCopy());
      EXPECT_EQ(Differences(installed, TakeSystemState()), "");
    }

    UninstallerRun run;
    ASSERT_TRUE(run.Start(UninstallString()));
    ExpectBox(run.AnswerBox(IDYES), question, {IDYES, IDNO}, section, codePage);
    // The install folder stays for the user's files, and the message says so.
    ExpectBox(run.AnswerBox(IDOK),
              wizard::FillSlots(ProductText(section, "un_left", codePage),
                                {installation_.folder + L"\\\n"}),
              {IDOK}, section, codePage);
    EXPECT_EQ(run.WaitForExit(), kSomeLeft);
    ASSERT_TRUE(run.WaitForSelfRemoval(installation_));
    EXPECT_EQ(Differences(Joined(before, ItemsAt(kept)), TakeSystemState()), "");
  }
};

TEST_F(UninstallRoundTrip, UndoesAnInstallationButForTheUsersFiles) {
  RoundTripWithUsersFiles(false);
}

TEST_F(UninstallRoundTrip, UndoesTwoInstallationsIntoOneFolderAtOnce) {
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install());
  ASSERT_TRUE(Install());
  const std::string log = wizard::ReadFileBytes(Narrow(installation_.log()));
  ASSERT_NE(log.find("uninstall.exe", log.find("uninstall.exe") + 1), std::string::npos)
      << "the second installation appended to the log";

  UninstallerRun run;
  EXPECT_EQ(UninstallQuietly(&run), kRemovedAll);
  ASSERT_TRUE(run.WaitForSelfRemoval(installation_));
  EXPECT_EQ(Differences(before, TakeSystemState()), "");
}

// Installed into A and then into B, which the uninstall entry now names (setup installs beside
// a registered installation only when its uninstaller is gone, as it is while B is installed
// here): A's own uninstaller
// removes A's files, leaves B's entry, settings and shortcuts (which point at B) and says that
// it removed A's files and that another installation is registered, never that Quintaxel is gone;
// B's uninstaller then undoes the rest.
TEST_F(UninstallRoundTrip, EachUninstallerAnswersForItsOwnInstallation) {
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install(false, L"Program Files", L"QuintaxelA"));
  const Installation a = installation_;
  const std::wstring away = a.uninstaller() + L".away";
  ASSERT_TRUE(MoveFileW(a.uninstaller().c_str(), away.c_str()));
  ASSERT_TRUE(Install(false, L"Program Files", L"QuintaxelB"));
  ASSERT_TRUE(MoveFileW(away.c_str(), a.uninstaller().c_str()));
  {
    UninstallerRun run;
    std::wstring removed = ProductText(0, "un_own_removed");
    removed.replace(removed.find(L"%s"), 2, a.folder);
    const std::wstring report = removed + L"\n\n" + ProductText(0, "un_other_registered");
    ASSERT_TRUE(run.Start(L"\"" + a.uninstaller() + L"\""));
    ExpectBox(run.AnswerBox(IDYES), ProductText(0, "un_confirm"), {IDYES, IDNO});
    ExpectBox(run.AnswerBox(IDOK), report, {IDOK});
    EXPECT_EQ(run.WaitForExit(), kOtherRegistered);
    ASSERT_TRUE(run.WaitForSelfRemoval(a));
  }
  EXPECT_EQ(UninstallString(), L"\"" + installation_.uninstaller() + L"\"");
  EXPECT_FALSE(IsThere(a.folder));
  EXPECT_TRUE(IsThere(installation_.desktopLink));
  EXPECT_TRUE(IsThere(installation_.shortcutFolder + L"\\Help.lnk"));

  UninstallerRun run;
  EXPECT_EQ(UninstallQuietly(&run), kRemovedAll);
  ASSERT_TRUE(run.WaitForSelfRemoval(installation_));
  EXPECT_EQ(Differences(before, TakeSystemState()), "");
}

// A leaf name typed with a trailing dot, which Windows drops from the folder it makes, and an
// emptied one, which makes the install folder the folder picked (a folder of the user's).
TEST_F(UninstallRoundTrip, UndoesInstallationsIntoOddlySpelledFolders) {
  const std::wstring picked = L"C:\\qx-picked";
  CreateDirectoryW(picked.c_str(), nullptr);
  const SystemState before = TakeSystemState();
  const struct {
    const wchar_t* picked;
    const wchar_t* leaf;
    const wchar_t* folder;
  } rows[] = {{L"Program Files", L"Quintaxel.", L"C:\\Program Files\\Quintaxel"},
              {L"qx-picked", L"", L"C:\\qx-picked"}};
  for (const auto& row : rows) {
    ASSERT_TRUE(Install(false, row.picked, row.leaf)) << Narrow(row.picked);
    EXPECT_EQ(installation_.folder, row.folder);
    UninstallerRun run;
    EXPECT_EQ(UninstallQuietly(&run), kRemovedAll) << Narrow(row.leaf);
    ASSERT_TRUE(run.WaitForSelfRemoval(installation_));
    EXPECT_EQ(Differences(before, TakeSystemState()), "") << Narrow(row.leaf);
  }
  installation_.folder.clear();  // the folder picked is the user's, not the installation's
  RemoveDirectoryW(picked.c_str());
}

// Into a folder whose parent was not there either: the setup program made both, and both go,
// the parent after the install folder. Another program's file in the parent keeps it, silently.
TEST_F(UninstallRoundTrip, RemovesTheFoldersSetupMadeAboveTheInstallFolder) {
  const std::wstring above = L"C:\\qx-above", other = above + L"\\other.txt";
  const SystemState before = TakeSystemState();
  for (const bool othersFile : {false, true}) {
    ASSERT_TRUE(Install(false, (above + L"\\Quintaxel").c_str()));
    if (othersFile) WriteWholeFile(other, "another program's file\r\n");
    UninstallerRun run;
    EXPECT_EQ(UninstallQuietly(&run), kRemovedAll) << othersFile;
    ASSERT_TRUE(run.WaitForSelfRemoval(installation_));
    EXPECT_FALSE(IsThere(installation_.folder)) << othersFile;
    EXPECT_EQ(IsThere(above), othersFile);
    EXPECT_EQ(IsThere(other), othersFile);
  }
  DeleteFileW(other.c_str());
  RemoveDirectoryW(above.c_str());
  EXPECT_EQ(Differences(before, TakeSystemState()), "");
}

// Under LC_ALL=ru_RU.UTF-8 only (code page 1251): the Russian texts are Windows-1251.
class RussianUninstallRoundTrip : public UninstallRoundTrip {
 protected:
  void SetUp() override {
    if (GetACP() != kCyrillic)
      QX_SKIP_OR_FAIL("code page " << GetACP() << ", not 1251: run under LC_ALL=ru_RU.UTF-8");
  }
};

TEST_F(RussianUninstallRoundTrip, UndoesARussianInstallationAskingInRussian) {
  RoundTripWithUsersFiles(true);
}

// Under LC_ALL=ja_JP.UTF-8 only (code page 932), where 表 and ソ are 0x95 0x5C and 0x83 0x5C: the
// second byte of each is that of a backslash.
class JapaneseUninstallRoundTrip : public UninstallRoundTrip {
 protected:
  void SetUp() override {
    if (GetACP() != kJapanese)
      GTEST_SKIP() << "code page " << GetACP() << ", not 932: run under LC_ALL=ja_JP.UTF-8";
  }

  // The files and folders that the log's lines name, as they are now.
  static SystemState LoggedItems(const std::wstring& log) {
    std::string text;
    HANDLE file =
        CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD got = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr) &&
           got > 0)
      text.append(buffer, got);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    std::vector<std::wstring> paths;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      std::string line = text.substr(start, end - start);
      if (line.empty() || line[0] == '[') continue;  // a registry line
      if (line.back() == '\\') line.pop_back();      // a folder line: no file name here ends in 表
      paths.push_back(wizard::Widen(line, kJapanese));
    }
    return ItemsAt(paths);
  }

  // The lines of `state` that name `places` or what lies in them, in lower case: the shell's
  // spelling of a folder and the file system's may differ in case.
  static SystemState Within(const SystemState& state, const std::vector<std::wstring>& places) {
    SystemState within;
    for (std::wstring line : state) {
      CharLowerBuffW(&line[0], DWORD(line.size()));
      for (std::wstring place : places) {
        CharLowerBuffW(&place[0], DWORD(place.size()));
        if (line.rfind(L"file " + place, 0) == 0 || line.rfind(L"folder " + place, 0) == 0)
          within.insert(line);
      }
    }
    return within;
  }
};

TEST_F(JapaneseUninstallRoundTrip, UndoesAnInstallationIntoFoldersNamedWithSuchCharacters) {
  const std::wstring picked = L"qx\u8868";    // qx表
  const std::wstring leaf = L"\u30BD\u8868";  // ソ表
  CreateDirectoryW((L"C:\\" + picked).c_str(), nullptr);
  const SystemState before = TakeSystemState();
  ASSERT_TRUE(Install(false, picked.c_str(), leaf.c_str(), leaf.c_str()));
  EXPECT_EQ(installation_.folder, L"C:\\" + picked + L"\\" + leaf);
  const std::wstring& shortcuts = installation_.shortcutFolder;
  EXPECT_EQ(shortcuts.substr(shortcuts.rfind(L'\\')), L"\\" + leaf);

  // The log names exactly the files and folders that were made in the product's places.
  SystemState made;
  for (const std::wstring& line : TakeSystemState())
    if (!before.count(line)) made.insert(line);
  const std::vector<std::wstring> places = {installation_.folder, shortcuts,
                                            installation_.desktopLink};
  made = Within(made, places);
  EXPECT_TRUE(made.size() > 10) << Differences({}, made);
  EXPECT_EQ(Differences(made, Within(LoggedItems(installation_.log()), places)), "");

  UninstallerRun run;
  EXPECT_EQ(UninstallQuietly(&run), kRemovedAll);
  ASSERT_TRUE(run.WaitForSelfRemoval(installation_));
  EXPECT_EQ(Differences(before, TakeSystemState()), "");
  RemoveDirectoryW((L"C:\\" + picked).c_str());
}

}  // namespace
}  // namespace uninstall_test
