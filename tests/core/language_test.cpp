#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/shipped_packages.h"
#include "lang/catalogue.h"
#include "lang/language.h"
#include "package/package.h"

namespace {

using Lines = std::vector<std::string>;

// An exactly-sized heap copy of a text, so that the sanitizer build reports a read past its end.
class ExactText {
 public:
  explicit ExactText(const std::string& text)
      : length_(int(text.size())), bytes_(new char[text.size() ? text.size() : 1]) {
    std::memcpy(bytes_.get(), text.data(), text.size());
  }
  const char* data() const { return bytes_.get(); }
  int length() const { return length_; }

 private:
  int length_;
  std::unique_ptr<char[]> bytes_;
};

Lines ReadAllLines(const std::string& text) {
  const ExactText exact(text);
  Lines lines;
  char line[kLineBufferSize];
  int position = 0;
  while (NextTextLine(line, exact.data(), &position, exact.length())) {
    lines.push_back(line);
    if (lines.size() > text.size() + 1) break;  // a reader that stopped advancing
  }
  EXPECT_STREQ(line, "") << "after the last line the buffer holds the empty string";
  return lines;
}

// The entries of a table, read up to its closing NUL.
Lines TableEntries(const char* table) {
  Lines entries;
  if (!table) return entries;
  for (const char* entry = table; *entry; entry += std::strlen(entry) + 1)
    entries.push_back(entry);
  return entries;
}

void LoadSection(const std::string& text, const char* name) {
  const ExactText exact(text);
  LoadLanguageSection(exact.data(), exact.length(), name);
}

int CollectNames(const std::string& text) {
  const ExactText exact(text);
  return CollectLanguageNames(exact.data(), exact.length());
}

Lines ListedNames() {
  Lines names;
  for (int i = 0; const char* name = LanguageName(i); ++i) {
    if (!*name) break;  // index 0 of an empty list
    names.push_back(name);
  }
  return names;
}

TEST(NextTextLine, SplitsTextIntoLines) {
  const std::string x259(259, 'x');
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"A\r\nB\r\n", {"A", "B"}},
      {"A\r\nB", {"A", "B"}},
      {"A\n\nB", {"A", "B"}},
      {"A\n\rB", {"A", "B"}},
      {"A\r\rB", {"A", "B"}},
      {"A\r\n\r\nB", {"A", "", "B"}},
      {"A\n\r\n\rB", {"A", "", "B"}},
      {"A\r\n\nB", {"A", "", "B"}},
      {"A\n\n\nB", {"A", "", "B"}},
      {"\r\nA", {"", "A"}},
      {"A\r", {"A"}},
      {"", {}},
      {"\r\n", {""}},
      {"  [English]  \r\nk=v", {"  [English]  ", "k=v"}},
      {"\xD0\xF3\xA0\x01\t", {"\xD0\xF3\xA0\x01\t"}},
      // A NUL ends the text: the line before it is still handed out.
      {std::string("A\0B\r\nC", 6), {"A"}},
      {std::string("A\r\n\0B", 5), {"A"}},
      {std::string("\0A", 2), {}},
      // A line over 259 bytes is cut there; its rest up to the line end is passed over.
      {x259 + "\r\nB", {x259, "B"}},
      {x259 + "y\r\nB", {x259, "B"}},
      {x259 + std::string(300, 'z') + "\n\nB", {x259, "B"}},
      {x259 + std::string(300, 'z'), {x259}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text.substr(0, 40)));
    EXPECT_EQ(ReadAllLines(c.text), c.lines);
  }
}

TEST(NextTextLine, StopsAtTheLengthAndKeepsThePositionAtTheEnd) {
  const ExactText text(std::string("AB\r\nCD"));
  char line[kLineBufferSize];
  int position = 0;
  // Only the first 3 bytes are the text: "AB" and its CR; the LF behind is not looked at.
  EXPECT_EQ(NextTextLine(line, text.data(), &position, 3), line);
  EXPECT_STREQ(line, "AB");
  EXPECT_EQ(position, 3);
  EXPECT_EQ(NextTextLine(line, text.data(), &position, 3), nullptr);
  EXPECT_EQ(position, 3);
  EXPECT_EQ(NextTextLine(line, text.data(), &position, 3), nullptr);

  position = 0;
  EXPECT_EQ(NextTextLine(line, text.data(), &position, 0), nullptr);
  EXPECT_EQ(position, 0);
  position = -1;
  EXPECT_EQ(NextTextLine(line, text.data(), &position, text.length()), nullptr);
}

TEST(NormalizeBlanks, KeepsTheFirstByteOfEachInnerBlankRun) {
  const struct {
    const char* input;
    const char* output;
  } cases[] = {
      {"  [English]  ", "[English]"},
      {"[ Two ]", "[ Two ]"},
      {"a \t b", "a b"},
      {"a\t  b", "a\tb"},
      {"a  b   c", "a b c"},
      {"\t\r\n\v\f a \v\f", "a"},
      {" \t \r\n ", ""},
      {"", ""},
      {"ab", "ab"},
      // Neither control bytes outside the blank set nor the no-break space 160 are blanks.
      {"\x01"
       "a\x1f",
       "\x01"
       "a\x1f"},
      {"\xA0"
       "a  \xA0",
       "\xA0"
       "a \xA0"},
  };
  for (const auto& c : cases) {
    char line[kLineBufferSize];
    std::strcpy(line, c.input);
    NormalizeBlanks(line);
    EXPECT_STREQ(line, c.output) << testing::PrintToString(c.input);
  }
}

TEST(UnescapeLine, ReplacesEscapesAndStripsTrailingControlBytes) {
  const struct {
    const char* input;
    const char* output;
  } cases[] = {
      {"sc3src=help\\\\english\\\\index.html", "sc3src=help\\english\\index.html"},
      {"cn_text=a\\nb\\Nc", "cn_text=a\nb\nc"},
      {"k=a\\tb\\Tc", "k=a\tb\tc"},
      {"k=a\\qb", "k=a b"},
      {"k=a\\\xE9"
       "b",
       "k=a b"},
      {"k=a\\", "k=a "},
      {"k=a\\\\n", "k=a\\n"},
      {"k=a\\\\\\n", "k=a\\"},  // the produced line feed is stripped at the end
      {"k=a\\t", "k=a"},
      {"k=a\\n", "k=a"},
      {"k=a\t\r\x01\x1f", "k=a"},
      {"k=  a  ", "k=  a  "},
      {"k=a \t", "k=a "},
      {"\x01\x02\t", ""},
      {"\x01"
       "a",
       "\x01"
       "a"},
      {"\\", " "},
      {"", ""},
  };
  for (const auto& c : cases) {
    char line[kLineBufferSize];
    std::strcpy(line, c.input);
    EXPECT_EQ(UnescapeLine(line), line);
    EXPECT_STREQ(line, c.output) << testing::PrintToString(c.input);
  }
}

TEST(LanguageList, ListsEveryHeaderInFileOrder) {
  const std::string text =
      "before=header\r\n"
      "  [English]  \r\n"
      "key=value\r\n"
      "[ Two ]\r\n"
      "[]\r\n"
      "[\xD0\xF3\xF1\xF1\xEA\xE8\xE9]\r\n"
      "x[Not]\r\n"
      "[English]";
  EXPECT_EQ(CollectNames(text), 4);
  EXPECT_EQ(ListedNames(), (Lines{"English", " Two ", "\xD0\xF3\xF1\xF1\xEA\xE8\xE9", "English"}));
  EXPECT_STREQ(LanguageName(0), "English");
  EXPECT_EQ(LanguageName(4), nullptr);
  EXPECT_EQ(LanguageName(-1), nullptr);
  EXPECT_EQ(
      std::memcmp(LanguageList, "English\0 Two \0\xD0\xF3\xF1\xF1\xEA\xE8\xE9\0English\0\0", 31), 0)
      << "each name followed by a NUL, closed by one more";

  // A later call replaces the list.
  EXPECT_EQ(CollectNames("[Only]"), 1);
  EXPECT_EQ(ListedNames(), Lines{"Only"});
  EXPECT_EQ(LanguageName(1), nullptr);
}

TEST(LanguageList, EmptyListHasOnlyTheEmptyNameAtIndexZero) {
  for (const char* text : {"", "no headers\r\n[]\r\n  []  \r\n", "[", "]"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(CollectNames(text), 0);
    EXPECT_EQ(std::memcmp(LanguageList, "\0\0", 2), 0);
    ASSERT_NE(LanguageName(0), nullptr);
    EXPECT_STREQ(LanguageName(0), "");
    EXPECT_EQ(LanguageName(1), nullptr);
    EXPECT_EQ(LanguageName(-1), nullptr);
  }
  char* const saved = LanguageList;
  LanguageList = nullptr;
  EXPECT_EQ(LanguageName(0), nullptr) << "no list yet";
  LanguageList = saved;
}

TEST(LanguageList, NamesLongerThan77BytesAreNeitherListedNorLoaded) {
  const std::string name77(77, 'n');
  const std::string name78(78, 'm');
  const std::string text = "[" + name78 + "]\r\nk=long\r\n[" + name77 + "]\r\nk=fits\r\n";
  EXPECT_EQ(CollectNames(text), 1);
  EXPECT_EQ(ListedNames(), Lines{name77});
  LoadSection(text, name77.c_str());
  EXPECT_STREQ(LookupText("k"), "fits");
  LoadSection(text, name78.c_str());
  EXPECT_EQ(TableEntries(StringTable), Lines{});
}

// One section with every kind of line the loader tells apart.
const std::string kSectionText =
    "k=before any header\r\n"
    "  [English]  \r\n"
    "# comment=1\r\n"
    " #spaced=2\r\n"
    "\r\n"
    "\r\n"
    "no equals sign\r\n"
    "\x01\x02\r\n"
    "sc1src=target\r\n"
    "sc1=name\r\n"
    "spaced =x\r\n"
    "tabbed\t\t=y\r\n"
    "value=\t\x01v\r\n"
    "padded=  v  \r\n"
    "empty=\r\n"
    "=no key\r\n"
    "dup=first\r\n"
    "dup=second\r\n"
    "path=help\\\\english\\\\index.html\r\n"
    "text=two\\nlines\\t\r\n"
    "[Other]\r\n"
    "k=other\r\n";

TEST(StringTable, StoresTheKeyLinesOfOneSection) {
  LoadSection(kSectionText, "English");
  EXPECT_EQ(TableEntries(StringTable),
            (Lines{" #spaced=2", "sc1src=target", "sc1=name", "spaced =x", "tabbed\t\t=y",
                   "value=\t\x01v", "padded=  v  ", "empty=", "=no key", "dup=first", "dup=second",
                   "path=help\\english\\index.html", "text=two\nlines"}));
  const Lines entries = TableEntries(StringTable);
  size_t end = 0;
  for (const std::string& e : entries)
    end += e.size() + 1;
  EXPECT_EQ(StringTable[end], '\0') << "closed by a NUL pair";

  LoadSection(kSectionText, "Other");
  EXPECT_EQ(TableEntries(StringTable), Lines{"k=other"});
}

TEST(StringTable, LookupMatchesTheWholeKeyThenEquals) {
  LoadSection(kSectionText, "English");
  const struct {
    const char* key;
    const char* value;
  } cases[] = {
      {"sc1", "name"},  // not the longer sc1src
      {"sc1src", "target"},
      {"spaced", ""},  // a space before "=" hides the line
      {"spaced ", "x"},
      {"tabbed", "y"},  // control bytes before "=" are passed over
      {"value", "v"},   // and control bytes right after it
      {"padded", "  v  "},
      {"empty", ""},
      {"", "no key"},
      {"dup", "first"},
      {"path", "help\\english\\index.html"},
      {"text", "two\nlines"},
      {" #spaced", "2"},
      {"# comment", ""},
      {"k", ""},  // before the header, and in the next section
      {"SC1", ""},
      {"sc", ""},
      {"missing", ""},
  };
  for (const auto& c : cases) {
    ASSERT_NE(LookupText(c.key), nullptr);
    EXPECT_STREQ(LookupText(c.key), c.value) << c.key;
  }
  EXPECT_NE(FindTextValue("empty"), nullptr);
  EXPECT_EQ(FindTextValue("missing"), nullptr);
  EXPECT_EQ(FindTextValue("spaced"), nullptr);
}

TEST(StringTable, OnlyAnExactBracketedLineEndsTheSection) {
  const struct {
    const char* what;
    const char* next;
    bool ends;
  } cases[] = {
      {"header", "[Other]", true},
      {"empty brackets", "[]", true},
      {"trailing control bytes are stripped", "[Other]\t", true},
      {"an escaped tab at the end is stripped", "[Other]\\t", true},
      {"an escaped bracket becomes a space", "[Other\\]", false},
      {"leading space", " [Other]", false},
      {"trailing space", "[Other] ", false},
      {"comment-like", "#[Other]", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoadSection(std::string("[A]\r\nown=1\r\n") + c.next + "\r\nnext=2\r\n", "A");
    EXPECT_STREQ(LookupText("own"), "1");
    EXPECT_STREQ(LookupText("next"), c.ends ? "" : "2");
  }
}

TEST(StringTable, FirstSectionOfTheNameWinsAndNamesAreExact) {
  const std::string text =
      "[A]x\r\nk=0\r\n[A]\r\nk=1\r\n[ A ]\r\nk=2\r\n[A]\r\nk=3\r\n[a]\r\nk=4\r\n";
  LoadSection(text, "A");
  EXPECT_STREQ(LookupText("k"), "1");
  LoadSection(text, " A ");
  EXPECT_STREQ(LookupText("k"), "2");
  LoadSection(text, "a");
  EXPECT_STREQ(LookupText("k"), "4");
  // Each load starts from an empty table.
  for (const char* name : {"B", "", "A ", static_cast<const char*>(nullptr)}) {
    LoadSection(text, "A");
    LoadSection(text, name);
    EXPECT_EQ(TableEntries(StringTable), Lines{}) << (name ? name : "(null)");
    EXPECT_STREQ(LookupText("k"), "");
  }
}

TEST(StringTable, OverlongLinesAndKeys) {
  const std::string key249(249, 'k');
  const std::string key250(250, 'q');
  const std::string text = "[A]\r\n" + key249 + "=fits\r\n" + key250 + "=long\r\n" +
                           "v=" + std::string(300, 'x') + "\r\nafter=1\r\n";
  LoadSection(text, "A");
  EXPECT_STREQ(LookupText(key249.c_str()), "fits");
  EXPECT_STREQ(LookupText(key250.c_str()), "");
  EXPECT_EQ(FindTextValue(key250.c_str()), nullptr);
  EXPECT_EQ(TableEntries(StringTable).size(), 4u) << "the long-key line is still stored";
  EXPECT_EQ(std::string(LookupText("v")), std::string(257, 'x')) << "the line was cut at 259";
  EXPECT_STREQ(LookupText("after"), "1");
}

// Stands in for the tables' allocator: lets `allowed` calls through, then fails.
int allowedAllocations = 0;
int failedAllocations = 0;
void* LimitedRealloc(void* block, size_t size) {
  if (allowedAllocations <= 0) {
    ++failedAllocations;
    return nullptr;
  }
  --allowedAllocations;
  return std::realloc(block, size);
}

// Fails its first call only.
bool failFirst = false;
void* FailFirstRealloc(void* block, size_t size) {
  if (failFirst) {
    failFirst = false;
    return nullptr;
  }
  return std::realloc(block, size);
}

class OutOfMemory : public ::testing::Test {
 protected:
  void SetUp() override { languageRealloc = LimitedRealloc; }
  void TearDown() override { languageRealloc = std::realloc; }
  static void Allow(int calls) {
    allowedAllocations = calls;
    failedAllocations = 0;
  }
};

const std::string kThreeKeys = "[A]\r\na=1\r\nb=2\r\nc=3\r\n[B]\r\n[C]\r\n";

TEST_F(OutOfMemory, TableKeepsTheLinesThatFitted) {
  Allow(3);  // emptying the table, then two lines
  LoadSection(kThreeKeys, "A");
  EXPECT_EQ(TableEntries(StringTable), (Lines{"a=1", "b=2"}));
  EXPECT_EQ(std::memcmp(StringTable, "a=1\0b=2\0\0", 9), 0);
  EXPECT_STREQ(LookupText("c"), "");
  EXPECT_EQ(failedAllocations, 1);

  Allow(0);  // not even the shrink to the empty table: the old block is emptied in place
  LoadSection(kThreeKeys, "A");
  EXPECT_EQ(TableEntries(StringTable), Lines{});
  EXPECT_STREQ(LookupText("a"), "");

  Allow(1);
  EXPECT_EQ(CollectNames(kThreeKeys), 0);
  EXPECT_STREQ(LanguageName(0), "");
  Allow(3);
  EXPECT_EQ(CollectNames(kThreeKeys), 2);
  EXPECT_EQ(ListedNames(), (Lines{"A", "B"}));
  EXPECT_EQ(LanguageName(2), nullptr);
}

TEST_F(OutOfMemory, FirstAllocationFailing) {
  char* const savedTable = StringTable;
  char* const savedList = LanguageList;
  StringTable = nullptr;
  LanguageList = nullptr;
  Allow(0);
  LoadSection(kThreeKeys, "A");
  EXPECT_EQ(StringTable, nullptr);
  EXPECT_STREQ(LookupText("a"), "");
  EXPECT_EQ(FindTextValue("a"), nullptr);
  EXPECT_EQ(CollectNames(kThreeKeys), 0);
  EXPECT_EQ(LanguageName(0), nullptr);
  // When memory comes back after the first failure the table is built from nothing.
  languageRealloc = FailFirstRealloc;
  failFirst = true;
  LoadSection(kThreeKeys, "A");
  EXPECT_EQ(TableEntries(StringTable), (Lines{"a=1", "b=2", "c=3"}));
  std::free(StringTable);
  StringTable = savedTable;
  LanguageList = savedList;
}

// The shipped setup language text, package 1's "qxsetup.lng".
class ShippedText : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadShippedPackages()) << "the shipped setup package is not built";
    ASSERT_TRUE(FindShippedSetupLanguage(&text_, &length_));
  }
  int Collect() { return CollectLanguageNames(text_, length_); }
  void Load(const char* name) { LoadLanguageSection(text_, length_, name); }

  const char* text_ = nullptr;
  int length_ = 0;
};

const char kRussian[] = "\xD0\xF3\xF1\xF1\xEA\xE8\xE9";

// The English wording, in catalogue order; sc2src, the home page, is checked by its scheme.
const struct {
  const char* key;
  const char* value;
} kEnglish[] = {
    {"language_string", "&English"},
    {"license", "license.eng.txt"},
    {"mw_title", "Quintaxel setup"},
    {"sc_count", "4"},
    {"sc1src", "quintaxel.exe"},
    {"sc1", "Quintaxel"},
    {"sc2src", nullptr},
    {"sc2", "Home page"},
    {"sc3src", "help\\english\\index.html"},
    {"sc3", "Help"},
    {"sc4src", "uninstall.exe"},
    {"sc4", "Uninstall"},
    {"prev_btn", "<< &Back"},
    {"next_btn", "&Next >>"},
    {"cancel_btn", "&Cancel"},
    {"cn_caption", "Quintaxel setup"},
    {"cn_text", "Are you sure want to cancel\nQuintaxel setup and exit?"},
    {"0_01", "Vorlen Software Quintaxel setup program"},
    {"1_00", "Step 1 of 7: Language selection"},
    {"1_01", "This program will install Vorlen Software Quintaxel v1.0\non your computer"},
    {"1_02",
     "To proceed with setup select interface language from list and press 'Next'\nor press "
     "'Cancel' if you don't want to install Quintaxel at this time."},
    {"1_prev", "<< &Back"},
    {"1_next", "&Next >>"},
    {"1_cancel", "&Cancel"},
    {"2_00", "Step 2 of 7: License agreement"},
    {"2_01", "Please carefully read terms of this license agreement"},
    {"2_02", "Do you accept all the terms of this license agreement?"},
    {"2_prev", "<< &Back"},
    {"2_next", "&Yes >>"},
    {"2_cancel", "&No"},
    {"3_00", "Step 3 of 7: Directory selection"},
    {"3_01", "Select directory you want Quintaxel to be installed to and press 'Next' button."},
    {"3_02", "Space required:"},
    {"3_03", "Space available:"},
    {"3_04", "Other users may change this folder or one above it. Choose another folder."},
    {"3_05", "Choose a folder on a fixed drive of this computer."},
    {"3_06",
     "This path is too long for Quintaxel's files, or Windows does not take it as it stands."},
    {"3_07", "This folder is inside the Windows folder. Choose another folder."},
    {"3_08", "There is not enough free space on this drive."},
    {"3_09", "This folder holds files of another program. Choose another folder."},
    {"3_10", "Quintaxel is installed in %s: install it there, or remove it first."},
    {"3_11", "This name holds a character that Windows cannot use here. Type another."},
    {"3_prev", "<< &Back"},
    {"3_next", "&Next >>"},
    {"3_cancel", "&Cancel"},
    {"4_00", "Step 4 of 7: Shortcuts placement"},
    {"4_01", "Place all shortcuts in the following folder:"},
    {"4_02", "Place shortcut to Quintaxel on the desktop"},
    {"4_prev", "<< &Back"},
    {"4_next", "&Next >>"},
    {"4_cancel", "&Cancel"},
    {"5_00", "Step 5 of 7: Confirm installation"},
    {"5_01",
     "Setup program is ready to install Quintaxel on your computer.\n\nInstallation summary:"},
    {"5_02", "Destination folder: '%s'\nCreate shortcuts: %s\nPlace shortcut on desktop: %s"},
    {"5_03", "To proceed with copying files, press 'Copy' button."},
    {"5_04", "yes"},
    {"5_05", "no"},
    {"5_prev", "<< &Back"},
    {"5_next", "&Copy >>"},
    {"5_cancel", "&Cancel"},
    {"6_00", "Step 6 of 7: Copying files"},
    {"6_01", "Setup program is now installing Quintaxel on your computer ..."},
    {"6_02", "Copying files ..."},
    {"6_03", "Updating registry ..."},
    {"6_04", "Creating shortcuts ..."},
    {"6_05", "File: %s"},
    {"6_06", "Removing what was copied ..."},
    {"6_cancel", "&Cancel"},
    {"7_00", "Step 7 of 7: Finishing setup"},
    {"7_01", "Vorlen Software Quintaxel is now installed on your computer."},
    {"7_02", "Launch Quintaxel now"},
    {"7_03", "Click 'Finish' button to exit"},
    {"7_04",
     "Setup could not write all files of Quintaxel. Close the programs that may use them and run "
     "setup again."},
    {"7_05",
     "Nothing was installed: other users may change the folder you chose, or it cannot be made "
     "there. Run setup again and choose another folder."},
    {"7_06",
     "Quintaxel is installed, but without shortcuts: other users may change the folders they "
     "would go in."},
    {"7_07", "Nothing was installed. %s"},
    {"7_08",
     "Quintaxel is installed, but setup could not add it to the list of installed programs. Run "
     "setup again."},
    {"7_09", "Quintaxel is installed, but setup could not make all of its shortcuts."},
    {"7_cancel", "&Finish"},
};

TEST_F(ShippedText, HasTheEnglishAndRussianSections) {
  EXPECT_EQ(Collect(), 2);
  EXPECT_EQ(ListedNames(), (Lines{"English", kRussian}));
}

// Translators' editors may save a line with a bare line feed; the file is shipped with CR LF
// throughout, the last line included.
TEST_F(ShippedText, EveryLineEndsWithCrLf) {
  const std::string text(text_, size_t(length_));
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  for (size_t i = 0; i < text.size(); ++i) {
    const bool crBefore = i > 0 && text[i - 1] == '\r';
    const bool lfAfter = i + 1 < text.size() && text[i + 1] == '\n';
    EXPECT_TRUE(text[i] != '\n' || crBefore) << "bare line feed at byte " << i;
    EXPECT_TRUE(text[i] != '\r' || lfAfter) << "bare carriage return at byte " << i;
  }
}

TEST_F(ShippedText, EnglishSectionHasTheCatalogueWording) {
  ASSERT_EQ(int(sizeof kEnglish / sizeof kEnglish[0]), setupKeyCount);
  Load("English");
  for (int i = 0; i < setupKeyCount; ++i) {
    const char* key = setupKeyCatalogue[i];
    ASSERT_STREQ(kEnglish[i].key, key);
    if (kEnglish[i].value) {
      EXPECT_STREQ(LookupText(key), kEnglish[i].value) << key;
    } else {
      EXPECT_EQ(std::strncmp(LookupText(key), "http://", 7), 0) << LookupText(key);
    }
  }
  // The load stopped at the Russian header: the 79 keys and nothing of the next section.
  EXPECT_EQ(TableEntries(StringTable).size(), 79u);
  EXPECT_EQ(FindTextValue("xxx"), nullptr);
}

TEST_F(ShippedText, RussianSectionDefinesEveryKey) {
  Load(kRussian);
  for (int i = 0; i < setupKeyCount; ++i) {
    const char* key = setupKeyCatalogue[i];
    ASSERT_NE(FindTextValue(key), nullptr) << key;
    EXPECT_STRNE(LookupText(key), "") << key;
  }
  EXPECT_EQ(LookupText("language_string"), std::string("&") + kRussian);
  EXPECT_STREQ(LookupText("license"), "license.rus.txt");
  EXPECT_STREQ(LookupText("sc3src"), "help\\english\\index.html");
  // Read to the end of the text: the 79 keys and the closing "xxx=".
  EXPECT_EQ(TableEntries(StringTable).size(), 80u);
  ASSERT_NE(FindTextValue("xxx"), nullptr);
  EXPECT_STREQ(FindTextValue("xxx"), "");
}

TEST_F(ShippedText, UntranslatedShortcutValuesMatchEnglish) {
  const char* const keys[] = {"sc_count", "sc1src", "sc1", "sc2src", "sc3src", "sc4src"};
  Load("English");
  std::vector<std::string> english;
  for (const char* key : keys)
    english.push_back(LookupText(key));
  Load(kRussian);
  for (size_t i = 0; i < english.size(); ++i)
    EXPECT_EQ(LookupText(keys[i]), english[i]) << keys[i];
}

TEST_F(ShippedText, BackAndNextOfTheLastPagesAreUndefined) {
  for (const char* name : {"English", kRussian}) {
    Load(name);
    for (const char* key : {"6_prev", "6_next", "7_prev", "7_next"}) {
      EXPECT_EQ(FindTextValue(key), nullptr) << key;
      EXPECT_STREQ(LookupText(key), "");
    }
  }
}

}  // namespace
