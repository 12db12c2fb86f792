// The folder pickers of pages 3 and 4 and the drive selector, used as the user uses them.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "require_all.h"
#include "wizard/screen_compare.h"
#include "wizard/wizard_group.h"

namespace wizard {
namespace {

// A folder of the tests' own below Program Files, with two subfolders, so that the lists have
// something known to open.
const char kProbeName[] = "QxWizardProbe";

std::string ProgramFiles() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  return std::string(windows, 3) + "Program Files";
}

std::string ProbeFolder() {
  return ProgramFiles() + "\\" + kProbeName;
}

// The folder that becomes an extra fixed drive: beside the build's packages.
std::string ExtraDriveFolder() {
  const std::string packages = QX_PACKAGE_DIR;
  return packages.substr(0, packages.find_last_of('/')) + "/wizard-drive";
}

std::string Programs() {
  return SpecialFolder(CSIDL_PROGRAMS);
}

// Enough folders below Programs to fill the shortcut list below the selected entry.
std::string ProgramsProbe(int i) {
  return Programs() + "\\" + kProbeName + std::to_string(i);
}
constexpr int kProgramsProbes = 6;

struct ExpectedEntry {
  std::string text;
  int depth;
};

// A path's components: the root with its separator, then each folder name.
std::vector<ExpectedEntry> Components(const std::string& path) {
  std::vector<ExpectedEntry> entries = {{path.substr(0, 3), 0}};
  for (size_t start = 3; start < path.size();) {
    const size_t end = std::min(path.find('\\', start), path.size());
    entries.push_back({path.substr(start, end - start), int(entries.size())});
    start = end + 1;
  }
  return entries;
}

int ChainLength(const std::string& path) {
  return int(Components(path).size());
}

// A path's chain of components, then its subfolders one level deeper, as the list shows them.
std::vector<ExpectedEntry> FolderChain(const std::string& path) {
  std::vector<ExpectedEntry> entries = Components(path);
  const int depth = int(entries.size());
  for (const std::string& name : Subfolders(path))
    entries.push_back({name, depth});
  return entries;
}

class WizardFolders : public WizardGroup {
 protected:
  static void SetUpTestSuite() {
    CreateDirectoryA(ProbeFolder().c_str(), nullptr);
    CreateDirectoryA((ProbeFolder() + "\\Alpha").c_str(), nullptr);
    CreateDirectoryA((ProbeFolder() + "\\Beta").c_str(), nullptr);
    for (int i = 1; i <= kProgramsProbes; ++i)
      CreateDirectoryA(ProgramsProbe(i).c_str(), nullptr);
    drive_.reset(new ExtraDrive(ExtraDriveFolder()));
    if (drive_->letter()) CreateDirectoryA((drive_->root() + "Alpha").c_str(), nullptr);
    StartWizard();
  }
  static void TearDownTestSuite() {
    EndWizard();
    drive_.reset();
    RemoveDirectoryA(HostPath(ExtraDriveFolder() + "/Alpha").c_str());
    RemoveDirectoryA(HostPath(ExtraDriveFolder()).c_str());
    RemoveDirectoryA((ProbeFolder() + "\\Alpha").c_str());
    RemoveDirectoryA((ProbeFolder() + "\\Beta").c_str());
    RemoveDirectoryA(ProbeFolder().c_str());
    for (int i = 1; i <= kProgramsProbes; ++i)
      RemoveDirectoryA(ProgramsProbe(i).c_str());
  }

  static void ExpectEntries(HWND list, const std::vector<ExpectedEntry>& expected) {
    const std::vector<Entry> entries = ListEntries(list);
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].text, Widen(expected[i].text)) << "entry " << i;
      EXPECT_EQ(LOWORD(entries[i].data), expected[i].depth) << "depth of entry " << i;
    }
  }

  static int IndexOf(HWND list, const std::string& text) {
    const std::vector<Entry> entries = ListEntries(list);
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].text == Widen(text)) return int(i);
    ADD_FAILURE() << text << " is not listed";
    return 0;
  }

  static HWND List() { return Control(kInstallListId); }
  static HWND Edit() { return Control(kInstallEditId); }

  // Clicks (or double-clicks) an entry and waits until the edit shows `composed`.
  static ::testing::AssertionResult ChooseEntry(int index, const std::string& composed,
                                                bool doubleClick = false) {
    wizard_->ClickListEntry(List(), index, doubleClick);
    if (WaitUntil([&] { return Text(Edit()) == Widen(composed); }, 3000))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the edit shows " << Narrow(Text(Edit())) << ", not " << composed;
  }

  // The free-space text is read once by the wizard, while other programs on this machine write
  // to the same disk: a neighbour of the figure now is as good.
  static void ExpectFreeSpaceOf(const std::string& root) {
    const long long free = TotalFreeBytes(root);
    ASSERT_GE(free, 0) << root;
    const std::wstring shown = Text(PanelChild(3, 0));
    const long long slack = 256LL << 20;
    EXPECT_TRUE(Contains({Widen(FormatBytes(free)), Widen(FormatBytes(free - slack)),
                          Widen(FormatBytes(free + slack))},
                         shown))
        << Narrow(shown) << " for " << root << ", free " << FormatBytes(free);
  }

  // The entry's background as painted, far right of its text: the owner-drawn list paints the
  // selection by focus (COLOR_HIGHLIGHT with the focus, COLOR_BTNFACE without) and a disabled
  // list all on COLOR_BTNFACE.
  static ::testing::AssertionResult EntryPaintedIn(HWND list, int index, int colorIndex) {
    RECT item = {};
    Ask(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    const POINT inside = {item.right - 4, (item.top + item.bottom) / 2};
    COLORREF shown = 0;
    if (WaitUntil([&] { return (shown = ScreenColor(list, inside)) == GetSysColor(colorIndex); },
                  2000))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "entry " << index << " is painted " << std::hex << shown
                                         << ", not " << GetSysColor(colorIndex);
  }

  static std::unique_ptr<ExtraDrive> drive_;
};

std::unique_ptr<ExtraDrive> WizardFolders::drive_;

TEST_F(WizardFolders, InstallListStartsAtProgramFiles) {
  ASSERT_TRUE(GoToPage(3));
  ExpectEntries(List(), FolderChain(ProgramFiles()));
  EXPECT_EQ(Ask(List(), LB_GETCURSEL), 1);
  EXPECT_EQ(Ask(List(), LB_GETTOPINDEX), 0);
  EXPECT_EQ(Text(Edit()), Widen(ProgramFiles() + "\\Quintaxel"));
  EXPECT_TRUE(EntryPaintedIn(List(), 0, COLOR_WINDOW));
  EXPECT_TRUE(EntryPaintedIn(List(), 1, COLOR_BTNFACE)) << "selected, without the focus";
}

TEST_F(WizardFolders, DriveSelectorOffersTheFixedDrivesButNotZ) {
  ASSERT_EQ(GetDriveTypeA("z:\\"), UINT(DRIVE_FIXED)) << "under Wine, z: is the host's root";
  std::vector<std::wstring> names;
  std::vector<char> letters;
  for (char letter = 'a'; letter <= 'y'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) != DRIVE_FIXED) continue;
    SHFILEINFOA info = {};
    SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME);
    names.push_back(Widen(info.szDisplayName));
    letters.push_back(letter);
  }
  HWND selector = Control(kDriveSelectorId);
  const std::vector<Entry> entries = ComboEntries(selector);
  ASSERT_EQ(entries.size(), names.size());
  int selected = -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].text, names[i]) << "entry " << i;
    EXPECT_EQ(LOWORD(entries[i].data), letters[i]) << "entry " << i;
    if (letters[i] == 'c') selected = int(i);
  }
  EXPECT_EQ(Ask(selector, CB_GETCURSEL), selected) << "the drive of the install folder";
  ExpectFreeSpaceOf("c:\\");
  const std::string payload = ReadFileBytes(HostPath(QX_PACKAGE_DIR "/payload.pkg"));
  EXPECT_EQ(Text(PanelChild(3, 4)), Widen(FormatBytes((long long)payload.size())));
}

TEST_F(WizardFolders, SelectingAnEntryComposesItsFolderAndTheLeafName) {
  ASSERT_TRUE(GoToPage(3));
  const std::string root = ProgramFiles().substr(0, 3);
  EXPECT_TRUE(ChooseEntry(0, root + "Quintaxel")) << "no doubled separator after the root";
  EXPECT_TRUE(ChooseEntry(IndexOf(List(), kProbeName), ProbeFolder() + "\\Quintaxel"));
  EXPECT_TRUE(ChooseEntry(1, ProgramFiles() + "\\Quintaxel"));
  ExpectEntries(List(), FolderChain(ProgramFiles()));
  EXPECT_TRUE(EntryPaintedIn(List(), 1, COLOR_HIGHLIGHT)) << "selected, with the focus";
  EXPECT_TRUE(EntryPaintedIn(List(), 0, COLOR_WINDOW));
}

TEST_F(WizardFolders, DoubleClickOpensTheFolderAndKeepsThePath) {
  ASSERT_TRUE(GoToPage(3));
  ASSERT_TRUE(ChooseEntry(IndexOf(List(), kProbeName), ProbeFolder() + "\\Quintaxel", true));
  ASSERT_TRUE(WaitUntil([] { return Ask(List(), LB_GETCOUNT) == 5; }, 3000));
  ExpectEntries(List(), FolderChain(ProbeFolder()));
  EXPECT_EQ(Ask(List(), LB_GETCURSEL), 2);

  const std::string root = ProgramFiles().substr(0, 3);
  ASSERT_TRUE(ChooseEntry(0, root + "Quintaxel", true));
  ASSERT_TRUE(WaitUntil([&] { return Ask(List(), LB_GETCURSEL) == 0; }, 3000));
  ExpectEntries(List(), FolderChain(root));

  ASSERT_TRUE(ChooseEntry(IndexOf(List(), "Program Files"), ProgramFiles() + "\\Quintaxel", true));
  ASSERT_TRUE(WaitUntil([] { return Ask(List(), LB_GETCURSEL) == 1; }, 3000));
  ExpectEntries(List(), FolderChain(ProgramFiles()));
}

// Enter in the list opens the selected folder, as a double click does, and is not Next.
TEST_F(WizardFolders, EnterOpensTheSelectedFolder) {
  ASSERT_TRUE(GoToPage(3));
  ASSERT_TRUE(ChooseEntry(IndexOf(List(), kProbeName), ProbeFolder() + "\\Quintaxel"));
  wizard_->PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([] { return Ask(List(), LB_GETCOUNT) == 5; }, 3000));
  ExpectEntries(List(), FolderChain(ProbeFolder()));
  EXPECT_EQ(wizard_->VisiblePage(), 3);
  ASSERT_TRUE(ChooseEntry(1, ProgramFiles() + "\\Quintaxel"));
  wizard_->PressKey(VK_RETURN);
  ASSERT_TRUE(WaitUntil([] { return Ask(List(), LB_GETCOUNT) != 5; }, 3000));
  ExpectEntries(List(), FolderChain(ProgramFiles()));
}

TEST_F(WizardFolders, TypedPathIsThePathUsed) {
  ASSERT_TRUE(GoToPage(3));
  wizard_->SetEditText(Edit(), L"D:\\Games\\Foo");
  // Next takes the whole path typed, without a selection, as the summary shows.
  ASSERT_TRUE(GoToPage(5));
  EXPECT_NE(Text(PanelChild(5, 1)).find(L"'D:\\Games\\Foo'"), std::wstring::npos)
      << Narrow(Text(PanelChild(5, 1)));
  ASSERT_TRUE(GoToPage(3));
  EXPECT_EQ(Text(Edit()), L"D:\\Games\\Foo");
  EXPECT_TRUE(ChooseEntry(1, ProgramFiles() + "\\Foo"));

  // An empty leaf name composes the folder with a separator, whose last component, the folder's
  // own name, then becomes the leaf name.
  wizard_->SetEditText(Edit(), L"");
  EXPECT_TRUE(ChooseEntry(1, ProgramFiles() + "\\"));
  EXPECT_TRUE(ChooseEntry(0, ProgramFiles()));

  wizard_->SetEditText(Edit(), L"");
  wizard_->Type(Edit(), L"Quintaxel");
  EXPECT_TRUE(ChooseEntry(1, ProgramFiles() + "\\Quintaxel"));
}

TEST_F(WizardFolders, ShortcutListShowsProgramsAtTheTop) {
  ASSERT_TRUE(GoToPage(4));
  HWND list = Control(kShortcutListId);
  ExpectEntries(list, FolderChain(Programs()));
  const int own = ChainLength(Programs()) - 1;
  EXPECT_EQ(Ask(list, LB_GETCURSEL), own);
  // Its ancestors scrolled out of view above it: there are enough subfolders below to let it.
  EXPECT_EQ(Ask(list, LB_GETTOPINDEX), own);
  EXPECT_EQ(Text(Control(kShortcutEditId)), Widen(Programs() + "\\Quintaxel"));
}

TEST_F(WizardFolders, CreateShortcutsCheckBoxEnablesTheShortcutFolder) {
  ASSERT_TRUE(GoToPage(4));
  HWND check = Control(kCreateShortcutsId);
  wizard_->Click(check);
  ASSERT_TRUE(WaitUntil([&] { return !IsChecked(check); }));
  Settle(wizard_->main());
  EXPECT_FALSE(IsWindowEnabled(Control(kShortcutListId)));
  EXPECT_FALSE(IsWindowEnabled(Control(kShortcutEditId)));
  EXPECT_TRUE(IsWindowEnabled(Control(kDesktopShortcutId)));
  EXPECT_TRUE(IsChecked(Control(kDesktopShortcutId)));
  EXPECT_TRUE(EntryPaintedIn(Control(kShortcutListId), ChainLength(Programs()), COLOR_BTNFACE));

  wizard_->Click(check);
  ASSERT_TRUE(WaitUntil([&] { return IsChecked(check); }));
  Settle(wizard_->main());
  EXPECT_TRUE(IsWindowEnabled(Control(kShortcutListId)));
  EXPECT_TRUE(IsWindowEnabled(Control(kShortcutEditId)));
  EXPECT_TRUE(EntryPaintedIn(Control(kShortcutListId), ChainLength(Programs()), COLOR_WINDOW));
}

// A leaf name that would make the path longer than 259 bytes composes nothing and nothing
// overruns; Next keeps the text as it stands, and page 3 refuses it: no drive, no folder.
TEST_F(WizardFolders, OverlongLeafNameComposesNothing) {
  ASSERT_TRUE(GoToPage(3));
  const std::wstring overlong(250, L'x');
  wizard_->SetEditText(Edit(), overlong);
  wizard_->ClickListEntry(List(), 1);
  Settle(wizard_->main());
  EXPECT_EQ(Text(Edit()), overlong);
  wizard_->Click(kNextId);
  EXPECT_TRUE(WaitUntil([] { return Text(PanelChild(3, 8)) == Shown("3_05"); }, 3000));
  EXPECT_EQ(Text(Edit()), overlong);
  EXPECT_EQ(wizard_->VisiblePage(), 3);
  wizard_->SetEditText(Edit(), L"Quintaxel");
  EXPECT_TRUE(ChooseEntry(1, ProgramFiles() + "\\Quintaxel"));
}

TEST_F(WizardFolders, ChangingTheDriveMovesTheListToItsRoot) {
  if (!drive_->letter()) QX_SKIP_OR_FAIL("no extra drive: Wine's mount manager refused one");
  ASSERT_TRUE(GoToPage(3));
  HWND selector = Control(kDriveSelectorId);
  const int selected = int(Ask(selector, CB_GETCURSEL));
  ASSERT_EQ(LOWORD(Ask(selector, CB_GETITEMDATA, selected + 1)), drive_->letter())
      << "the extra drive follows c: in letter order";
  wizard_->ComboDown(selector);
  const std::string root = drive_->root();  // lower case, as the selector keeps the letter
  ASSERT_TRUE(WaitUntil([&] { return Text(Edit()) == Widen(root + "Quintaxel"); }, 3000))
      << Narrow(Text(Edit()));
  EXPECT_EQ(Ask(selector, CB_GETCURSEL), selected + 1);
  ExpectEntries(List(), FolderChain(root));
  EXPECT_EQ(Ask(List(), LB_GETCURSEL), 0);
  ExpectFreeSpaceOf(root);
  const std::string payload = ReadFileBytes(HostPath(QX_PACKAGE_DIR "/payload.pkg"));
  EXPECT_EQ(Text(PanelChild(3, 4)), Widen(FormatBytes((long long)payload.size())))
      << "the space required does not follow the drive";
}

}  // namespace
}  // namespace wizard
