// The product's files as the payload ships them: the manifest's order, the language file the
// program and the installer rely on, and help pages whose links and pictures all resolve. Also
// the two start-up choices of quintaxel.exe that need no window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "lang/language.h"
#include "startup.h"

namespace {

const std::string kProductDir = std::string(QX_SOURCE_DIR) + "/product/";
const char kRussianSection[] = "&\xD0\xF3\xF1\xF1\xEA\xE8\xE9";  // "&Русский" in Windows-1251
const char* const kHelpFolders[] = {"english", "russian"};

std::string ReadFile(const std::string& path) {
  std::string bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char block[4096];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
      bytes.append(block, got);
    std::fclose(file);
  }
  return bytes;
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

// A Cyrillic letter saved as UTF-8 (D0 or D1, then a continuation byte) instead of Windows-1251.
bool HasUtf8Cyrillic(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    const unsigned char lead = text[i], next = text[i + 1];
    if ((lead == 0xD0 || lead == 0xD1) && next >= 0x80 && next <= 0xBF) return true;
  }
  return false;
}

struct Entry {
  std::string source, name;
};

// The manifest's entries: two blank-separated fields a line, # lines and blank lines skipped.
std::vector<Entry> ReadManifestEntries(const std::string& path) {
  std::vector<Entry> entries;
  const std::string text = ReadFile(path);
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    char source[300], name[300];
    const std::string line = text.substr(start, end - start);
    if (line[0] != '#' && std::sscanf(line.c_str(), "%299s %299s", source, name) == 2)
      entries.push_back({source, name});
    start = end + 1;
  }
  return entries;
}

const std::vector<Entry>& Payload() {
  static const std::vector<Entry> entries = ReadManifestEntries(kProductDir + "payload.manifest");
  return entries;
}

bool InPayload(const std::string& name) {
  return std::any_of(Payload().begin(), Payload().end(),
                     [&](const Entry& e) { return e.name == name; });
}

// The language file, kept alive for the tables built from it.
const std::string& LanguageText() {
  static const std::string text = ReadFile(kProductDir + "quintaxel.lng");
  return text;
}

void LoadSection(const char* name) {
  LoadLanguageSection(LanguageText().data(), int(LanguageText().size()), name);
}

std::set<std::string> SectionKeys(const char* name) {
  LoadSection(name);
  std::set<std::string> keys;
  for (const char* line = StringTable; line && *line; line += std::strlen(line) + 1)
    keys.insert(std::string(line, std::strcspn(line, "=")));
  return keys;
}

// The values of every attr="..." in the page.
std::vector<std::string> AttributeValues(const std::string& page, const std::string& attribute) {
  std::vector<std::string> values;
  const std::string opening = attribute + "=\"";
  for (size_t at = page.find(opening); at != std::string::npos; at = page.find(opening, at)) {
    at += opening.size();
    values.push_back(page.substr(at, page.find('"', at) - at));
  }
  return values;
}

std::string HelpFile(const char* folder, const std::string& name) {
  return kProductDir + "help/" + folder + "/" + name;
}

TEST(PayloadManifest, ListsTheProductFilesInInstallOrder) {
  const std::vector<Entry>& entries = Payload();
  // The uninstaller, once it is built, goes between the Russian help and the licences.
  const size_t licences = entries.size() > 42 && entries[42].name == "uninstall.exe" ? 43 : 42;
  ASSERT_EQ(entries.size(), licences + 2);
  EXPECT_EQ(entries[0].name, "quintaxel.lng");
  EXPECT_EQ(entries[1].name, "quintaxel.exe");
  std::vector<std::string> english;
  for (int i = 2; i < 22; ++i) {
    ASSERT_EQ(entries[i].name.rfind("help\\english\\", 0), 0u) << entries[i].name;
    english.push_back(entries[i].name.substr(std::strlen("help\\english\\")));
    // The Russian block repeats the English names in the same order.
    EXPECT_EQ(entries[i + 20].name, "help\\russian\\" + english.back());
  }
  const auto firstImage = std::find_if(english.begin(), english.end(), [](const std::string& n) {
    return n.size() > 4 && n.substr(n.size() - 4) == ".jpg";
  });
  EXPECT_EQ(firstImage - english.begin(), 4) << "four pages, then the pictures";
  EXPECT_EQ(english[0], "index.html");
  EXPECT_TRUE(std::count(firstImage, english.end(), "viewmenu.jpg"));
  EXPECT_EQ(entries[licences].name, "license.eng.txt");
  EXPECT_EQ(entries[licences + 1].name, "license.rus.txt");
}

TEST(PayloadManifest, SourcesAreTheFilesTheNamesSay) {
  std::set<std::string> names;
  for (const Entry& entry : Payload()) {
    EXPECT_TRUE(names.insert(entry.name).second) << "twice: " << entry.name;
    std::string expected = entry.name;
    if (entry.source.rfind("${BUILD}/", 0) == 0) {
      EXPECT_EQ(entry.source, "${BUILD}/" + expected) << "a program of this build";
      continue;
    }
    EXPECT_FALSE(ReadFile(kProductDir + entry.source).empty()) << entry.source;
    std::replace(expected.begin(), expected.end(), '\\', '/');
    if (entry.name.rfind("license.", 0) == 0) expected = "../data/setup/" + expected;
    EXPECT_EQ(entry.source, expected) << "a file packed under another file's name";
  }
  // The licences must be the very files that the setup package shows.
  for (const Entry& entry : ReadManifestEntries(QX_SOURCE_DIR "/data/setup/setup.manifest")) {
    if (entry.name.rfind("license.", 0) == 0) {
      EXPECT_TRUE(InPayload(entry.name)) << entry.name;
    }
  }
}

TEST(PayloadManifest, PacksEveryHelpFile) {
  for (const char* folder : kHelpFolders)
    for (const auto& file : std::filesystem::directory_iterator(kProductDir + "help/" + folder))
      EXPECT_TRUE(
          InPayload(std::string("help\\") + folder + "\\" + file.path().filename().string()))
          << file.path();
}

TEST(ProductLanguageFile, SectionsAreTheNamesTheInstallerWrites) {
  ASSERT_EQ(CollectLanguageNames(LanguageText().data(), int(LanguageText().size())), 2);
  EXPECT_STREQ(LanguageName(0), "&English");
  EXPECT_STREQ(LanguageName(1), kRussianSection);
  // The setup program writes its section's language_string as the registry value.
  const std::string setup = ReadFile(QX_SOURCE_DIR "/data/setup/qxsetup.lng");
  const int setupSections = CollectLanguageNames(setup.data(), int(setup.size()));
  ASSERT_EQ(setupSections, 2);
  for (int i = 0; i < setupSections; ++i) {
    LoadLanguageSection(setup.data(), int(setup.size()), LanguageName(i));
    EXPECT_STREQ(LookupText("language_string"), i == 0 ? "&English" : kRussianSection);
  }
}

TEST(ProductLanguageFile, EverySectionDefinesTheSameKeysAndEveryProgramKey) {
  const std::set<std::string> english = SectionKeys("&English");
  EXPECT_EQ(SectionKeys(kRussianSection), english);
  for (const char* section : {"&English", kRussianSection}) {
    LoadSection(section);
    for (const char* key : kProgramKeys)
      EXPECT_STRNE(LookupText(key), "") << section << key;
    // Each menu of the bar has one access key, and no two menus share one.
    std::set<char> accessKeys;
    for (const char* key : {kFileMenuKey, kViewMenuKey, kHelpMenuKey}) {
      const char* caption = LookupText(key);
      ASSERT_EQ(std::count(caption, caption + std::strlen(caption), '&'), 1) << key;
      EXPECT_TRUE(accessKeys.insert(std::tolower(std::strchr(caption, '&')[1])).second) << key;
    }
  }
}

TEST(ProductLanguageFile, HelpIndexIsThatLanguagesPackedIndexPage) {
  LoadSection("&English");
  EXPECT_STREQ(LookupText(kHelpIndexKey), "help\\english\\index.html");
  LoadSection(kRussianSection);
  EXPECT_STREQ(LookupText(kHelpIndexKey), "help\\russian\\index.html");
  EXPECT_TRUE(InPayload(LookupText(kHelpIndexKey)));
}

TEST(ProductLanguageFile, IsCrLfAsciiAndWindows1251) {
  const std::string& text = LanguageText();
  for (size_t i = 0; i < text.size(); ++i) {
    const bool crOk = text[i] != '\r' || (i + 1 < text.size() && text[i + 1] == '\n');
    const bool lfOk = text[i] != '\n' || (i > 0 && text[i - 1] == '\r');
    EXPECT_TRUE(crOk && lfOk) << "a line end that is not CR LF at byte " << i;
  }
  const size_t russian = text.find(std::string("[") + kRussianSection + "]");
  ASSERT_NE(russian, std::string::npos);
  EXPECT_TRUE(IsAscii(text.substr(0, russian)));
  EXPECT_FALSE(HasUtf8Cyrillic(text));
  LoadSection(kRussianSection);
  EXPECT_GE(static_cast<unsigned char>(LookupText(kExitItemKey)[1]), 0xC0) << "a Cyrillic letter";
}

TEST(HelpPages, LinksAndPicturesResolveInTheirOwnFolder) {
  for (const char* folder : kHelpFolders) {
    std::set<std::string> shown, reached = {"index.html"};
    std::vector<std::string> toVisit = {"index.html"};
    while (!toVisit.empty()) {
      const std::string name = toVisit.back();
      toVisit.pop_back();
      const std::string page = ReadFile(HelpFile(folder, name));
      ASSERT_FALSE(page.empty()) << folder << "/" << name;
      for (const std::string& link : AttributeValues(page, "href")) {
        EXPECT_FALSE(ReadFile(HelpFile(folder, link)).empty()) << name << " links " << link;
        if (reached.insert(link).second) toVisit.push_back(link);
      }
      for (const std::string& image : AttributeValues(page, "src"))
        shown.insert(image);
    }
    std::set<std::string> pages, images;
    for (int i = 0; i < 20; ++i)
      (i < 4 ? pages : images).insert(Payload()[2 + i].name.substr(std::strlen("help\\english\\")));
    EXPECT_EQ(reached, pages) << folder << ": every page is reached from the index";
    EXPECT_EQ(shown, images) << folder << ": every picture is shown, none is missing";
  }
}

TEST(HelpPages, DeclareTheirCodePage) {
  for (int i = 2; i < 6; ++i) {
    const std::string name = Payload()[i].name.substr(std::strlen("help\\english\\"));
    EXPECT_TRUE(IsAscii(ReadFile(HelpFile("english", name)))) << name;
    const std::string russian = ReadFile(HelpFile("russian", name));
    EXPECT_NE(russian.find("<meta charset=\"windows-1251\">"), std::string::npos) << name;
    EXPECT_FALSE(HasUtf8Cyrillic(russian)) << name;
    EXPECT_FALSE(IsAscii(russian)) << name << " is not translated";
  }
}

TEST(HelpPages, PicturesAreSmallJpegs) {
  for (const Entry& entry : Payload()) {
    if (entry.name.size() < 4 || entry.name.substr(entry.name.size() - 4) != ".jpg") continue;
    const std::string bytes = ReadFile(kProductDir + entry.source);
    ASSERT_GT(bytes.size(), 4u) << entry.source;
    EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF") << entry.source;
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9") << entry.source;
    EXPECT_LT(bytes.size(), 16384u) << entry.source;
  }
}

TEST(LanguageChoice, PicksTheNamedSectionOrElseTheFirst) {
  const std::string text =
      "[&English]\r\na=1\r\n[&Deutsch]\r\na=2\r\n[&Fran\xE7"
      "ais]\r\na=3\r\n";
  const int count = CollectLanguageNames(text.data(), int(text.size()));
  EXPECT_EQ(ChooseLanguageIndex("&Deutsch", count), 1);
  EXPECT_EQ(ChooseLanguageIndex("&Fran\xE7"
                                "ais",
                                count),
            2);
  EXPECT_EQ(ChooseLanguageIndex(nullptr, count), 0) << "no registry value";
  EXPECT_EQ(ChooseLanguageIndex("Deutsch", count), 0) << "the ampersand is part of the name";
  EXPECT_EQ(ChooseLanguageIndex("&deutsch", count), 0) << "names compare byte for byte";
  EXPECT_EQ(ChooseLanguageIndex("", count), 0);
  EXPECT_EQ(ChooseLanguageIndex("&Fran\xE7"
                                "ais",
                                2),
            0)
      << "only the counted names";
}

TEST(PathBesideModule, ReplacesTheProgramsFileNameOnly) {
  char path[64];
  EXPECT_TRUE(PathBesideModule(path, sizeof path, "C:\\Program Files\\Quintaxel\\quintaxel.exe",
                               "help\\russian\\index.html"));
  EXPECT_STREQ(path, "C:\\Program Files\\Quintaxel\\help\\russian\\index.html");
  EXPECT_TRUE(PathBesideModule(path, sizeof path, "C:\\quintaxel.exe", kLanguageFileName));
  EXPECT_STREQ(path, "C:\\quintaxel.lng");
  EXPECT_TRUE(PathBesideModule(path, sizeof path, "quintaxel.exe", kLanguageFileName));
  EXPECT_STREQ(path, "quintaxel.lng");
}

TEST(PathBesideModule, RefusesAPathThatDoesNotFit) {
  char path[16];
  EXPECT_TRUE(PathBesideModule(path, sizeof path, "D:\\Q\\q.exe", "abcdefghij"));  // 15 + NUL
  EXPECT_STREQ(path, "D:\\Q\\abcdefghij");
  EXPECT_FALSE(PathBesideModule(path, sizeof path, "D:\\Q\\q.exe", "abcdefghijk"));
  EXPECT_STREQ(path, "") << "a cut path names another file";
}

}  // namespace
