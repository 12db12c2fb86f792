// Cancel confirmed while the files are copied, with a setup program whose payload (the product
// and four thousand small files) takes seconds to copy: the program ends at once, nothing is
// rolled back, and the log holds the lines written up to then.
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
  // files, well into the small ones. (Until the copy begins the bar stands half full and the
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

// The number of entries whose file line the log holds in full (each line ends with CR LF; the
// last may be cut where the program ended).
size_t LoggedEntries(const std::string& log, const std::string& folder) {
  size_t count = 0;
  for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    const std::string line = log.substr(start, end - start);
    if (line.back() != '\\' && line != folder + "\\install.log") ++count;
  }
  return count;
}

TEST_F(CancelDuringCopy, EndsTheProgramAndKeepsWhatWasWrittenAndLogged) {
  ASSERT_TRUE(StartCopying());
  wizard_->Click(kCancelId);
  HWND box = wizard_->WaitForConfirmation();
  ASSERT_TRUE(box) << "no confirmation while copying";
  wizard_->Click(GetDlgItem(box, IDYES));
  DWORD exitCode = 1;
  ASSERT_TRUE(wizard_->WaitForExit(&exitCode)) << "the program did not end";
  EXPECT_EQ(exitCode, 0u);

  const std::vector<PayloadEntry>& payload = Payload();
  const std::string log = ReadBytes(Folder() + "\\install.log");
  const std::string complete = CopyLines(Folder(), payload, true) + RegistryLines();
  EXPECT_EQ(complete.compare(0, log.size(), log), 0) << "the log is the start of a whole one";
  const size_t logged = LoggedEntries(log, Folder());
  ASSERT_GE(logged, 2u);
  ASSERT_LT(logged, payload.size()) << "the copy ended before the cancel";

  // Every file logged before the last one was written in full; the last may be cut short; no
  // file after it was begun.
  for (size_t i = 0; i + 1 < logged; ++i)
    EXPECT_TRUE(InstalledAs(Folder() + "\\" + payload[i].name, payload[i]));
  const PayloadEntry& last = payload[logged - 1];
  const std::string lastPath = Folder() + "\\" + last.name;
  if (FileExists(lastPath)) {
    EXPECT_EQ(last.data.compare(0, ReadBytes(lastPath).size(), ReadBytes(lastPath)), 0);
  }
  for (size_t i = logged; i < payload.size(); ++i)
    EXPECT_FALSE(FileExists(Folder() + "\\" + payload[i].name)) << payload[i].name;
}

// Closing the window from its title bar while copying ends the program at once: no question,
// and the files written so far stay.
class CloseDuringCopy : public CancelDuringCopy {};

TEST_F(CloseDuringCopy, EndsAtOnceWithoutAsking) {
  ASSERT_TRUE(StartCopying());
  PostMessageW(wizard_->main(), WM_SYSCOMMAND, SC_CLOSE, 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(wizard_->WaitForExit(&exitCode)) << "the program did not end";
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(wizard_->Confirmation(), nullptr);
  EXPECT_TRUE(InstalledAs(Folder() + "\\" + Payload()[0].name, Payload()[0]));
  EXPECT_FALSE(FileExists(Folder() + "\\" + Payload().back().name)) << "the copy ended first";
}

}  // namespace
}  // namespace install
