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

}  // namespace
}  // namespace uninstall_test
