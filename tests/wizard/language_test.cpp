// Choosing the second language on page 1, under a Russian locale: its texts are Windows-1251
// bytes, which the wizard shows right only when its code page is 1251.
//
// Wine takes a process's code page from the locale of its Unix environment, which a process that
// Wine starts inherits from its parent whatever Windows environment it is given; so the whole
// test program has to run under the locale (LC_ALL=ru_RU.UTF-8); without it these tests skip, or
// fail where every check is required.
#include "require_all.h"
#include "wizard/wizard_group.h"

namespace wizard {
namespace {

constexpr UINT kCyrillic = 1251;

struct KeyedWindow {
  const char* key;  // nullptr: the text is empty after the reload
  int page;         // 0 for the header band
  int index;        // among the panel's children
};

// Every text the reload sets from a key, by page and position.
const KeyedWindow kReloadedTexts[] = {
    {"0_01", 0, 0},  {"1_00", 0, 1},  {"1_01", 1, 0}, {"1_02", 1, 1}, {"2_01", 2, 0},
    {"2_02", 2, 2},  {"3_01", 3, 1},  {"3_02", 3, 2}, {"3_03", 3, 3}, {"4_01", 4, 0},
    {"4_02", 4, 3},  {"5_01", 5, 0},  {"5_02", 5, 1}, {"5_03", 5, 2}, {"6_01", 6, 0},
    {nullptr, 6, 1}, {nullptr, 6, 2}, {"7_01", 7, 0}, {"7_02", 7, 1}, {"7_03", 7, 2},
};

class RussianWizard : public WizardGroup {
 protected:
  static bool HasCyrillicCodePage() { return GetACP() == kCyrillic; }

  static void SetUpTestSuite() {
    if (HasCyrillicCodePage()) StartWizard();
  }
  static void TearDownTestSuite() { EndWizard(); }

  void SetUp() override {
    if (!HasCyrillicCodePage())
      QX_SKIP_OR_FAIL("code page " << GetACP() << ", not 1251: run under LC_ALL=ru_RU.UTF-8");
    WizardGroup::SetUp();
  }

  // Everything the reload must leave as it was.
  static std::vector<std::wstring> UntouchedState() {
    std::vector<std::wstring> state;
    for (const Entry& entry : ComboEntries(Control(kLanguageListId)))
      state.push_back(entry.text);
    for (int id : {kInstallListId, kShortcutListId})
      for (const Entry& entry : ListEntries(Control(id)))
        state.push_back(entry.text + L"/" + std::to_wstring(entry.data));
    for (int id : {kInstallEditId, kShortcutEditId})
      state.push_back(Text(Control(id)));
    state.push_back(Text(PanelChild(3, 0)));  // the free space
    state.push_back(Text(PanelChild(3, 4)));  // the space required
    for (int id : {kCreateShortcutsId, kDesktopShortcutId, kLaunchId})
      state.push_back(IsChecked(Control(id)) ? L"checked" : L"unchecked");
    state.push_back(std::to_wstring(Ask(PanelChild(6, 3), PBM_GETPOS)));
    state.push_back(IsWindowEnabled(Control(kBackId)) ? L"Back enabled" : L"Back disabled");
    return state;
  }
};

TEST_F(RussianWizard, ChoosingTheSecondLanguageSetsEveryTextAgain) {
  const std::string title = texts_->Value(1, "mw_title");
  ASSERT_NE(Widen(title, kCyrillic), Widen(title, 1252)) << "the title tells the code pages apart";
  const std::vector<std::wstring> before = UntouchedState();

  HWND languages = Control(kLanguageListId);
  wizard_->ComboDown(languages);
  ASSERT_TRUE(WaitUntil([&] { return Text(wizard_->main()) == Widen(title, kCyrillic); }))
      << "the title is " << Narrow(Text(wizard_->main()))
      << ": not reloaded, or not shown in code page 1251";
  Settle(wizard_->main());
  section_ = 1;
  codePage_ = kCyrillic;

  for (const KeyedWindow& text : kReloadedTexts)
    EXPECT_EQ(Text(PanelChild(text.page, text.index)), text.key ? Shown(text.key) : L"")
        << (text.key ? text.key : "emptied text") << " on page " << text.page;
  EXPECT_EQ(Text(PanelChild(2, 1)), Widen(texts_->License(1), kCyrillic)) << "the licence";
  EXPECT_EQ(Text(Control(kBackId)), Shown("prev_btn"));
  EXPECT_EQ(Text(Control(kNextId)), Shown("next_btn"));
  EXPECT_EQ(Text(Control(kCancelId)), Shown("cancel_btn"));

  EXPECT_EQ(UntouchedState(), before);
  EXPECT_EQ(Ask(languages, CB_GETCURSEL), 1);
  EXPECT_EQ(ComboEntries(languages)[1].text, Widen(texts_->Sections()[1], kCyrillic));
  EXPECT_EQ(wizard_->VisiblePage(), 1);
}

TEST_F(RussianWizard, NextAndBackBringBackThePageOneCaptions) {
  ASSERT_EQ(section_, 1) << "runs after the reload";
  ASSERT_TRUE(ClickToPage(kNextId, 2));
  EXPECT_EQ(Text(Control(kNextId)), PageText(2, "_next"));
  ASSERT_TRUE(ClickToPage(kBackId, 1));
  EXPECT_EQ(Text(PanelChild(0, 1)), PageText(1, "_00"));
  EXPECT_EQ(Text(Control(kBackId)), PageText(1, "_prev"));
  EXPECT_EQ(Text(Control(kNextId)), PageText(1, "_next"));
  EXPECT_EQ(Text(Control(kCancelId)), PageText(1, "_cancel"));
}

TEST_F(RussianWizard, SummaryIsFormattedFromTheNewLanguage) {
  ASSERT_EQ(section_, 1) << "runs after the reload";
  ASSERT_TRUE(GoToPage(5));
  EXPECT_EQ(Text(PanelChild(5, 1)), FillSlots(Shown("5_02"), {Text(Control(kInstallEditId)),
                                                              Shown("5_04"), Shown("5_04")}));
}

TEST_F(RussianWizard, ConfirmationAsksInTheNewLanguage) {
  ASSERT_EQ(section_, 1) << "runs after the reload";
  wizard_->Click(kCancelId);
  HWND box = wizard_->WaitForConfirmation();
  ASSERT_TRUE(box);
  const Confirmation shown = ReadConfirmation(box);
  EXPECT_EQ(shown.caption, Shown("cn_caption"));
  EXPECT_EQ(shown.text, Shown("cn_text"));
  ASSERT_TRUE(wizard_->Answer(box, IDNO));
}

}  // namespace
}  // namespace wizard
