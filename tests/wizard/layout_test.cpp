// Every window of a freshly started wizard: where it is, what it is and what it says, before the
// user has touched anything.
#include <windows.h>

#include <shlobj.h>

#include "wizard/screen_compare.h"
#include "wizard/wizard_group.h"

namespace wizard {
namespace {

constexpr int kMain = -1;   // a row's parent: the main window itself
constexpr int kAnyId = -1;  // a panel's child-window identifier is its brush

enum class Height {
  kExact,
  kWholeEntries,  // a list box shrinks to a whole number of 15-pixel entries
  kWithDropDown,  // a combo box: the closed box and its cut drop-down list share the height
  kEtchedLine,    // the static control draws an etched line as a 2-pixel edge round the
                  // requested width, with no client area left inside
};
enum class Font { kNone, kDefault, kBold, kOwnerDrawn };

struct ExpectedText {
  bool checked;
  std::wstring value;
};
ExpectedText NoText() {
  return {false, L""};
}

struct Row {
  const char* name;
  int parent;  // kMain, 0 for the header band, 1 to 7 for a page panel
  int index;   // among the parent's children, in creation order
  const char* windowClass;
  int x, y, width, height;
  int id;
  DWORD style, exStyle;
  ExpectedText text;
  Height height_rule;
  Font font;
};

const DWORD kLabel = 0x50000000, kBoldLabel = 0x50000100, kSeparator = 0x50000010,
            kPanel = 0x50000000, kPush = 0x50010000, kDefaultPush = 0x50010001,
            kCheckBox = 0x50010003, kCombo = 0x50010203, kViewer = 0x50211844,
            kPathEdit = 0x50010080, kFolderList = 0x50210051, kDriveSelector = 0x50010213,
            kProgress = 0x50000000, kClientEdge = WS_EX_CLIENTEDGE,
            kControlParent = WS_EX_CONTROLPARENT;  // the dialog keys walk into a panel

class WizardLayout : public WizardGroup {
 protected:
  static void SetUpTestSuite() { StartWizard(); }
  static void TearDownTestSuite() { EndWizard(); }

  static ExpectedText Key(const char* key) { return {true, Shown(key)}; }
  static ExpectedText Value(const std::string& value) { return {true, Widen(value, codePage_)}; }

  static RECT Client() {
    RECT client = {};
    GetClientRect(wizard_->main(), &client);
    return client;
  }

  static std::string DefaultInstallPath() {
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows, 3) + "Program Files\\Quintaxel";
  }

  static std::string DefaultShortcutPath() { return SpecialFolder(CSIDL_PROGRAMS) + "\\Quintaxel"; }

  static std::string RequiredSpace() {
    const std::string payload = ReadFileBytes(HostPath(QX_PACKAGE_DIR "/payload.pkg"));
    return FormatBytes((long long)payload.size());
  }

  static std::vector<Row> ExpectedRows() {
    const int W = Client().right, H = Client().bottom;
    const auto M = Height::kExact;
    const auto D = Font::kDefault;
    return {
        {"header band", kMain, 0, "panel window", 0, 0, W, 47, kAnyId, kPanel, kControlParent,
         Value(""), M, Font::kNone},
        {"header title", 0, 0, "Static", 15, 7, 300, 15, 0, kLabel, 0, Key("0_01"), M, D},
        {"header caption", 0, 1, "Static", 20, 25, 300, 15, 0, kBoldLabel, 0, Key("1_00"), M,
         Font::kBold},
        {"upper separator", kMain, 1, "Static", 5, 52, W - 10, 1, 0, kSeparator, 0, Value(""),
         Height::kEtchedLine, Font::kNone},
        {"lower separator", kMain, 3, "Static", 5, H - 50, W - 10, 1, 0, kSeparator, 0, Value(""),
         Height::kEtchedLine, Font::kNone},
        {"Back", kMain, 10, "Button", W - 250, H - 30, 70, 24, kBackId, kPush, 0, Key("1_prev"), M,
         D},
        {"Next", kMain, 11, "Button", W - 180, H - 30, 70, 24, kNextId, kDefaultPush, 0,
         Key("1_next"), M, D},
        {"Cancel", kMain, 12, "Button", W - 80, H - 30, 60, 24, kCancelId, kPush, 0,
         Key("1_cancel"), M, D},
        {"page 1 panel", kMain, 2, "panel window", 0, 55, W, 167, kAnyId, kPanel, kControlParent,
         Value(""), M, Font::kNone},
        {"page 2 panel", kMain, 4, "panel window", 0, 55, W, 167, kAnyId, kPanel, kControlParent,
         Value(""), M, Font::kNone},
        {"page 3 panel", kMain, 5, "panel window", 0, 55, W, 167, kAnyId, kPanel, kControlParent,
         Value(""), M, Font::kNone},
        {"page 4 panel", kMain, 6, "panel window", 0, 55, W, 167, kAnyId, kPanel, kControlParent,
         Value(""), M, Font::kNone},
        {"page 5 panel", kMain, 7, "panel window", 0, 55, W, 167, kAnyId, kPanel, kControlParent,
         Value(""), M, Font::kNone},
        {"page 6 panel", kMain, 8, "panel window", 0, 55, W, 167, kAnyId, kPanel, kControlParent,
         Value(""), M, Font::kNone},
        {"page 7 panel", kMain, 9, "panel window", 0, 55, W, 167, kAnyId, kPanel, kControlParent,
         Value(""), M, Font::kNone},

        {"1_01", 1, 0, "Static", 20, 10, 300, 35, 0, kLabel, 0, Key("1_01"), M, D},
        {"1_02", 1, 1, "Static", 20, 50, 400, 35, 0, kLabel, 0, Key("1_02"), M, D},
        {"language list", 1, 2, "ComboBox", 20, 95, 200, 80, kLanguageListId, kCombo, 0,
         Value(texts_->Sections()[0]), Height::kWithDropDown, D},

        {"2_01", 2, 0, "Static", 20, 10, W, 35, 0, kLabel, 0, Key("2_01"), M, D},
        {"licence viewer", 2, 1, "Edit", 20, 30, W - 40, 108, 0, kViewer, kClientEdge,
         Value(texts_->License(0)), M, D},
        {"2_02", 2, 2, "Static", 20, 145, 300, 15, 0, kLabel, 0, Key("2_02"), M, D},

        {"free space", 3, 0, "Static", 290, 80, 100, 15, 0, kLabel, 0, NoText(), M, D},
        {"3_01", 3, 1, "Static", 20, 10, W - 20, 15, 0, kLabel, 0, Key("3_01"), M, D},
        {"3_02", 3, 2, "Static", 280, 30, 140, 15, 0, kLabel, 0, Key("3_02"), M, D},
        {"3_03", 3, 3, "Static", 280, 65, 140, 15, 0, kLabel, 0, Key("3_03"), M, D},
        {"required space", 3, 4, "Static", 290, 45, 140, 15, 0, kLabel, 0, Value(RequiredSpace()),
         M, D},
        {"install path edit", 3, 5, "Edit", 20, 30, 250, 20, kInstallEditId, kPathEdit, kClientEdge,
         Value(DefaultInstallPath()), M, D},
        {"drive selector", 3, 6, "ComboBox", 20, 144, 250, 170, kDriveSelectorId, kDriveSelector, 0,
         NoText(), Height::kWithDropDown, Font::kOwnerDrawn},
        {"install folder list", 3, 7, "ListBox", 20, 50, 250, 100, kInstallListId, kFolderList,
         kClientEdge, NoText(), Height::kWholeEntries, Font::kOwnerDrawn},
        {"install folder refusal", 3, 8, "Static", 280, 100, 110, 65, 0, kLabel, 0, Value(""), M,
         D},

        {"4_01", 4, 0, "Button", 20, 10, 380, 15, kCreateShortcutsId, kCheckBox, 0, Key("4_01"), M,
         D},
        {"shortcut path edit", 4, 1, "Edit", 20, 30, W - 40, 20, kShortcutEditId, kPathEdit,
         kClientEdge, Value(DefaultShortcutPath()), M, D},
        {"shortcut folder list", 4, 2, "ListBox", 20, 50, 250, 100, kShortcutListId, kFolderList,
         kClientEdge, NoText(), Height::kWholeEntries, Font::kOwnerDrawn},
        {"4_02", 4, 3, "Button", 20, 148, 380, 15, kDesktopShortcutId, kCheckBox, 0, Key("4_02"), M,
         D},
        {"shortcut folder refusal", 4, 4, "Static", 280, 50, 110, 95, 0, kLabel, 0, Value(""), M,
         D},

        {"5_01", 5, 0, "Static", 20, 10, 390, 55, 0, kLabel, 0, Key("5_01"), M, D},
        // The summary keeps its unformatted text until page 5 is entered.
        {"summary", 5, 1, "Static", 20, 50, 390, 45, 0, kLabel, 0, Key("5_02"), M, D},
        {"5_03", 5, 2, "Static", 20, 100, 390, 35, 0, kLabel, 0, Key("5_03"), M, D},

        {"6_01", 6, 0, "Static", 20, 10, 390, 35, 0, kLabel, 0, Key("6_01"), M, D},
        {"copy status", 6, 1, "Static", 20, 30, 390, 40, 0, kLabel, 0, Key("6_02"), M, D},
        {"copy file", 6, 2, "Static", 20, 90, 390, 15, 0, kLabel, 0, Value(""), M, D},
        {"progress bar", 6, 3, "msctls_progress32", 20, 105, W - 40, 20, 0, kProgress, 0, NoText(),
         M, Font::kNone},

        {"7_01", 7, 0, "Static", 20, 10, 390, 35, 0, kLabel, 0, Key("7_01"), M, D},
        {"launch check box", 7, 1, "Button", 20, 40, 380, 15, kLaunchId, kCheckBox, 0, Key("7_02"),
         M, D},
        {"7_03", 7, 2, "Static", 20, 90, 390, 40, 0, kLabel, 0, Key("7_03"), M, D},
    };
  }

  static HWND Find(const Row& row) {
    const std::vector<HWND> children =
        row.parent == kMain ? Children(wizard_->main()) : wizard_->PanelChildren(row.parent);
    return row.index < int(children.size()) ? children[size_t(row.index)] : nullptr;
  }

  // Style bits that the state of the moment or the platform's control sets, not the factory.
  static DWORD StateBits(const Row& row) {
    DWORD bits = WS_VISIBLE | WS_DISABLED;  // hidden panels, the disabled Back
    if (row.height_rule == Height::kWholeEntries) bits |= WS_VSCROLL;  // only while it scrolls
    return bits;
  }

  static void ExpectSize(const Row& row, HWND window, const RECT& place) {
    const int width = int(place.right - place.left), height = int(place.bottom - place.top);
    if (row.height_rule == Height::kEtchedLine) {
      RECT client = {};
      GetClientRect(window, &client);
      EXPECT_EQ(client.right, row.width) << row.name;
    } else {
      EXPECT_EQ(width, row.width) << row.name;
    }
    switch (row.height_rule) {
      case Height::kExact:
        EXPECT_EQ(height, row.height) << row.name;
        break;
      case Height::kWholeEntries:
        EXPECT_LE(height, row.height) << row.name;
        EXPECT_GT(height, row.height - 15) << row.name;
        break;
      case Height::kWithDropDown: {
        RECT dropped = {};
        Ask(window, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        const int total = height + int(dropped.bottom - dropped.top);
        const int entry = int(Ask(window, CB_GETITEMHEIGHT, 0));
        EXPECT_LE(total, row.height) << row.name;
        EXPECT_GT(total, row.height - entry - 4) << row.name;
        break;
      }
      case Height::kEtchedLine:
        EXPECT_GE(height, row.height) << row.name;
        EXPECT_LE(height, 2) << row.name;
        break;
    }
  }

  static Twin TwinOf(const Row& row, HWND window) {
    Twin twin = {row.windowClass, row.style | (Style(window) & WS_DISABLED), row.exStyle,
                 static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT)),
                 GetSysColor(row.parent == 0 ? COLOR_WINDOW : COLOR_BTNFACE)};
    if (row.font == Font::kBold) twin.font = CaptionFont();
    twin.checked = IsChecked(window);
    // A combo box is made with the height of its drop-down list too.
    if (row.height_rule == Height::kWithDropDown) twin.height = row.height;
    return twin;
  }

  // The twins never have the focus, and a focused control draws focus marks: a page's controls
  // are compared with the focus on Cancel, where "No" to the cancel confirmation leaves it.
  static void FocusCancel() {
    wizard_->Click(kCancelId);
    HWND box = wizard_->WaitForConfirmation();
    ASSERT_TRUE(box && wizard_->Answer(box, IDNO));
    ASSERT_TRUE(WaitUntil([] { return wizard_->Focus() == Control(kCancelId); }))
        << wizard_->DescribeFocus();
  }

  static void ExpectLooksLikeItsTwin(const Row& row) {
    HWND window = Find(row);
    ASSERT_TRUE(IsWindowVisible(window)) << row.name;
    EXPECT_EQ(PixelsDifferingFromTwin(window, TwinOf(row, window)), 0)
        << row.name << ": not drawn with its font on its background";
  }
};

TEST_F(WizardLayout, MainWindowHasItsClassTitleStyleAndSize) {
  HWND main = wizard_->main();
  EXPECT_EQ(ClassName(main), "Vorlen installer main window");
  EXPECT_EQ(Text(main), L"Quintaxel setup");
  EXPECT_EQ(GetClassLongA(main, GCL_STYLE), 0u);
  // The system adds the title bar (WS_CAPTION) and its edge to an overlapped window.
  EXPECT_EQ(Style(main) & ~(WS_CAPTION | WS_VISIBLE), 0x060A0000u);
  EXPECT_EQ(Style(main) & WS_CAPTION, DWORD(WS_CAPTION));
  EXPECT_EQ(ExStyle(main) & ~WS_EX_WINDOWEDGE, 0u);
  RECT outer = {};
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.right - outer.left, 400);
  EXPECT_EQ(outer.bottom - outer.top, 300);
  RECT client = Client();
  AdjustWindowRectEx(&client, Style(main), FALSE, ExStyle(main));
  EXPECT_EQ(client.right - client.left, 400) << "the client area is the outer size less the frame";
  EXPECT_EQ(client.bottom - client.top, 300);
  EXPECT_EQ(Children(main).size(), 13u) << "header, 2 separators, 7 panels, 3 buttons";
  EXPECT_EQ(GetClassLongA(wizard_->Panel(1), GCL_STYLE), DWORD(CS_HREDRAW | CS_VREDRAW));
}

TEST_F(WizardLayout, EveryWindowHasItsPlaceClassIdStyleAndText) {
  for (const Row& row : ExpectedRows()) {
    HWND window = Find(row);
    ASSERT_TRUE(window) << row.name << " is missing";
    EXPECT_EQ(lstrcmpiA(ClassName(window).c_str(), row.windowClass), 0)
        << row.name << ": " << ClassName(window);
    const RECT place = PlaceInParent(window);
    EXPECT_EQ(place.left, row.x) << row.name;
    EXPECT_EQ(place.top, row.y) << row.name;
    ExpectSize(row, window, place);
    if (row.id != kAnyId) {
      EXPECT_EQ(GetDlgCtrlID(window), row.id) << row.name;
    }
    EXPECT_EQ(Style(window) & ~StateBits(row), row.style & ~StateBits(row))
        << row.name << std::hex << ": style " << Style(window);
    DWORD platformExBits = row.height_rule == Height::kEtchedLine ? WS_EX_STATICEDGE : 0;
    EXPECT_EQ(ExStyle(window) & ~platformExBits, row.exStyle) << row.name;
    if (row.text.checked) {
      EXPECT_EQ(Text(window), row.text.value) << row.name;
    }
  }
}

TEST_F(WizardLayout, StartsOnPageOneWithEverythingChecked) {
  EXPECT_EQ(wizard_->VisiblePage(), 1);
  EXPECT_TRUE(IsWindowVisible(wizard_->Panel(0)));
  EXPECT_FALSE(IsWindowEnabled(Control(kBackId)));
  for (int id : {kBackId, kNextId, kCancelId})
    EXPECT_TRUE(IsWindowVisible(Control(id))) << id;
  EXPECT_TRUE(IsWindowEnabled(Control(kNextId)));
  EXPECT_TRUE(IsWindowEnabled(Control(kCancelId)));
  for (int id : {kCreateShortcutsId, kDesktopShortcutId, kLaunchId})
    EXPECT_TRUE(IsChecked(Control(id))) << id;
  for (int id : {kShortcutListId, kShortcutEditId})
    EXPECT_TRUE(IsWindowEnabled(Control(id)));

  HWND languages = Control(kLanguageListId);
  const std::vector<std::string> sections = texts_->Sections();
  const std::vector<Entry> entries = ComboEntries(languages);
  ASSERT_EQ(entries.size(), sections.size());
  for (size_t i = 0; i < sections.size(); ++i)
    EXPECT_EQ(entries[i].text, Widen(sections[i], codePage_)) << "in file order, unsorted";
  EXPECT_EQ(Ask(languages, CB_GETCURSEL), 0);

  HWND progress = PanelChild(6, 3);
  EXPECT_EQ(Ask(progress, PBM_GETPOS), 50);
  EXPECT_EQ(Ask(progress, PBM_GETRANGE, TRUE), 0);
  EXPECT_EQ(Ask(progress, PBM_GETRANGE, FALSE), 100);
}

TEST_F(WizardLayout, PanelsPaintWithTheirOwnBrushes) {
  // A panel's child-window identifier is its brush: the header band has one of its own, the
  // seven pages share another.
  const LONG header = GetWindowLongA(wizard_->Panel(0), GWL_ID);
  for (int page = 1; page <= kPageCount; ++page) {
    EXPECT_EQ(GetWindowLongA(wizard_->Panel(page), GWL_ID),
              GetWindowLongA(wizard_->Panel(1), GWL_ID));
    EXPECT_NE(GetWindowLongA(wizard_->Panel(page), GWL_ID), header);
  }
  Sleep(200);  // let the first paint reach the screen
  EXPECT_EQ(ScreenColor(wizard_->Panel(0), {390, 3}), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(ScreenColor(wizard_->Panel(1), {300, 150}), GetSysColor(COLOR_BTNFACE));
}

// Last in the group: it walks the pages and comes back to page 1.
TEST_F(WizardLayout, TextsShowInTheirFontsOnTheirPanelsColour) {
  const std::vector<Row> rows = ExpectedRows();
  // The frame first, while no button has the focus (a focused button draws a focus frame).
  for (const Row& row : rows)
    if ((row.parent == kMain || row.parent == 0) && row.font != Font::kNone)
      ExpectLooksLikeItsTwin(row);
  // Pages 1 to 5 can be shown without installing anything.
  for (int page = 1; page <= 5; ++page) {
    ASSERT_TRUE(GoToPage(page));
    FocusCancel();
    for (const Row& row : rows)
      if (row.parent == page && row.font != Font::kNone && row.font != Font::kOwnerDrawn)
        ExpectLooksLikeItsTwin(row);
  }
  ASSERT_TRUE(GoToPage(1));
}

// ---- A high-contrast scheme, light text on black, in the prefix while the wizard runs; the old
// values are put back for the suites after this one.

const char kColors[] = "Control Panel\\Colors";
const char* const kSchemeNames[] = {"Window", "WindowText", "ButtonFace", "ButtonText"};

class WizardHighContrast : public WizardGroup {
 protected:
  static void SetUpTestSuite() {
    for (int i = 0; i < 4; ++i) {
      DWORD size = sizeof saved_[i];
      had_[i] = !RegGetValueA(HKEY_CURRENT_USER, kColors, kSchemeNames[i], RRF_RT_REG_SZ, nullptr,
                              saved_[i], &size);
      SetColor(kSchemeNames[i], i % 2 ? "255 255 255" : "0 0 0");
    }
    StartWizard();
  }
  static void TearDownTestSuite() {
    EndWizard();
    for (int i = 0; i < 4; ++i)
      had_[i] ? SetColor(kSchemeNames[i], saved_[i])
              : void(RegDeleteKeyValueA(HKEY_CURRENT_USER, kColors, kSchemeNames[i]));
  }
  static void SetColor(const char* name, const char* value) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kColors, name, REG_SZ, value, DWORD(lstrlenA(value) + 1));
  }
  static char saved_[4][64];
  static bool had_[4];
};
char WizardHighContrast::saved_[4][64];
bool WizardHighContrast::had_[4];

// Where a panel lends its background, it lends the scheme's text colour: a label on a page and
// one on the header band, a check box, the licence.
TEST_F(WizardHighContrast, TextsDifferFromTheirBackground) {
  const struct {
    const char* name;
    int page, index;
  } texts[] = {{"1_01", 1, 0}, {"header title", 0, 0}, {"4_02", 4, 3}, {"licence", 2, 1}};
  for (const auto& text : texts) {
    if (text.page > 0) {
      ASSERT_TRUE(GoToPage(text.page));
    }
    Sleep(200);  // let the page reach the screen
    // Black text would differ from the default background just as well.
    ASSERT_EQ(ScreenColor(wizard_->Panel(text.page), {390, 3}), RGB(0, 0, 0)) << text.name;
    // Far more than a caret, a focus frame or an empty check box make.
    EXPECT_GT(PixelsUnlike(PanelChild(text.page, text.index), RGB(0, 0, 0)), 300) << text.name;
  }
}

}  // namespace
}  // namespace wizard
