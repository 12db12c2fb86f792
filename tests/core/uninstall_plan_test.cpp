// The uninstaller's plan against logs that the setup program's own writers produce, repeated,
// damaged and edited ones; and its command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/code_pages.h"
#include "core/system_path.h"
#include "install/install_text.h"
#include "uninstall/uninstall_plan.h"
#include "uninstall/uninstall_text.h"

namespace {

const std::string kQ = "C:\\Program Files\\Quintaxel";
const std::string kDesktop = "C:\\Users\\me\\Desktop";
const std::string kPrograms = "C:\\Users\\me\\Start Menu\\Programs";
const std::string kShortcuts = kPrograms + "\\Quintaxel";
const std::string kUninstallKey = std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKeyPath;
const std::string kSettingsKey = std::string("HKEY_CURRENT_USER\\") + kSettingsKeyPath;
const std::string kMakerKey = "HKEY_CURRENT_USER\\Software\\Vorlen Software";

// A name of the product's whose path in the install folder is `length` bytes long.
std::string NameOfPathLength(size_t length) {
  return std::string(length - kQ.size() - 1, 'x');
}
const std::string kLong259 = NameOfPathLength(259), kLong260 = NameOfPathLength(260),
                  kLong519 = NameOfPathLength(519);

// The product's names as the tests know them; the build's own come from its manifests.
const char* const kFiles[] = {"quintaxel.exe",  "help\\english\\index.html",
                              "uninstall.exe",  "license.eng.txt",
                              "install.log",    "a.txt",
                              "new.txt",        "help\\old\\old.txt",
                              kLong259.c_str(), kLong260.c_str(),
                              kLong519.c_str()};
const ShortcutName kShortcutNames[] = {{"Quintaxel.lnk", "quintaxel.exe"},
                                       {"Home page.url", "http://www.quintaxel.example/"},
                                       {"Help.url", "http://help.example/"},
                                       {"x.lnk", "help\\english\\index.html"},
                                       {"y.lnk", "a.txt"},
                                       {"\xD3\xE4\xE0\xEB.lnk", "quintaxel.exe"}};
const ShortcutName kDesktopNames[] = {{"Quintaxel.lnk", "quintaxel.exe"},
                                      {"\xD3\xE4\xE0\xEB.lnk", "quintaxel.exe"}};
const ProductNames kNames = {kFiles, 11, kShortcutNames, 6, kDesktopNames, 2};

struct Plan {
  std::vector<std::string> steps;
  int taken, passedOver;
  bool listsInstallFolder;
  int foldersAbove;
  std::vector<std::string> places;  // of each file and folder step, the place it begins with
};

std::string Describe(const UninstallStep& step) {
  const std::string quiet = step.reported ? "" : " (quiet)";
  const std::string path = step.path;
  switch (step.kind) {
    case kDeleteFile:
      return "file " + path + quiet;
    case kRemoveFolder:
      return "folder " + path + quiet;
    case kDeleteRegistryName:
      return "value " + std::string(RegistryRootName(step.root)) + "\\" +
             path.substr(0, size_t(step.lastAt) - 1) + " : " + path.substr(size_t(step.lastAt)) +
             quiet;
    case kRemoveRegistryKey:
      return "key " + std::string(RegistryRootName(step.root)) + "\\" + path + quiet;
  }
  return "?";
}

Plan BuildPlan(const std::string& log, const std::string& folder = kQ) {
  const std::string program = folder + "\\uninstall.exe", logPath = folder + "\\install.log";
  const char* const kept[] = {kDesktop.c_str(), kPrograms.c_str()};
  const UninstallPlaces places = {
      folder.c_str(), program.c_str(), logPath.c_str(), kDesktop.c_str(), kept, 2, &kNames};
  UninstallPlan plan;
  EXPECT_TRUE(BuildUninstallPlan(log.data(), int(log.size()), places, &plan));
  Plan result = {{}, plan.taken, plan.passedOver, plan.listsInstallFolder, plan.foldersAbove, {}};
  for (int i = 0; i < plan.count; ++i) {
    const UninstallStep& step = plan.steps[i];
    result.steps.push_back(Describe(step));
    if (step.kind == kDeleteFile || step.kind == kRemoveFolder)
      result.places.push_back(std::string(step.path, size_t(step.placeLength)));
  }
  FreeUninstallPlan(&plan);
  return result;
}

// One installation's log as the setup program writes it, through its own line writers, with
// the CR LF of its text-mode stream.
// `folder` is the install folder as the wizard composed it, which may be spelled otherwise than
// Windows names it.
std::string InstallationLog(bool folderIsNew, const char* shortcutFolder, const char* sc1,
                            const std::string& folder = kQ) {
  FILE* f = std::tmpfile();
  if (folderIsNew) WriteFolderLine(f, folder.c_str());
  WriteFileLine(f, (folder + "\\install.log").c_str());
  WriteFileLine(f, (folder + "\\quintaxel.exe").c_str());
  if (folderIsNew) WriteFolderLine(f, (folder + "\\help").c_str());
  if (folderIsNew) WriteFolderLine(f, (folder + "\\help\\english").c_str());
  WriteFileLine(f, (folder + "\\help\\english\\index.html").c_str());
  WriteFileLine(f, (folder + "\\uninstall.exe").c_str());
  WriteFileLine(f, (folder + "\\license.eng.txt").c_str());
  WriteUninstallKeyLines(f);
  WriteSettingsKeyLines(f);
  if (shortcutFolder) {
    WriteFolderLine(f, shortcutFolder);
    WriteFileLine(f, (std::string(shortcutFolder) + "\\" + sc1 + ".lnk").c_str());
    WriteFileLine(f, (std::string(shortcutFolder) + "\\Home page.url").c_str());
  }
  WriteFileLine(f, (kDesktop + "\\" + sc1 + ".lnk").c_str());
  std::string text;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;)
    text += c == '\n' ? std::string("\r\n") : std::string(1, char(c));
  std::fclose(f);
  return text;
}

std::vector<std::string> RegistrySteps() {
  std::vector<std::string> steps;
  for (const char* name :
       {"width", "view", "top", "state", "left", "language", "height", "fullpath", "content"})
    steps.push_back("value " + kSettingsKey + " : " + name);
  steps.push_back("value " + kUninstallKey + " : UninstallString");
  steps.push_back("value " + kUninstallKey + " : DisplayName");
  steps.push_back("key " + kUninstallKey);
  return steps;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<std::string> kTidying = {"key " + kSettingsKey + " (quiet)",
                                           "key " + kMakerKey + " (quiet)"};

const std::vector<std::string> kShortcutSteps = {
    "file " + kDesktop + "\\Quintaxel.lnk", "file " + kShortcuts + "\\Home page.url",
    "file " + kShortcuts + "\\Quintaxel.lnk", "folder " + kShortcuts + " (quiet)"};

TEST(UninstallPlan, UndoesAnInstallationInReverse) {
  const Plan plan = BuildPlan(InstallationLog(true, kShortcuts.c_str(), "Quintaxel"));
  const std::vector<std::string> files = {
      "file " + kQ + "\\license.eng.txt", "file " + kQ + "\\help\\english\\index.html",
      "folder " + kQ + "\\help\\english", "folder " + kQ + "\\help",
      "file " + kQ + "\\quintaxel.exe"};
  // uninstall.exe, the log and the install folder are no steps: they go after the process.
  EXPECT_EQ(plan.steps, Concat(Concat(Concat(kShortcutSteps, RegistrySteps()), files), kTidying));
  EXPECT_TRUE(plan.listsInstallFolder);
  EXPECT_EQ(plan.passedOver, 0);
  EXPECT_EQ(plan.taken, 24);

  // Into a folder that was there before: the folder stays.
  EXPECT_FALSE(BuildPlan(InstallationLog(false, nullptr, "Quintaxel")).listsInstallFolder);
}

TEST(UninstallPlan, RepeatedInstallationsAreUndoneOnce) {
  const std::string first = InstallationLog(true, kShortcuts.c_str(), "Quintaxel");
  const Plan once = BuildPlan(first);
  const Plan twice = BuildPlan(first + InstallationLog(false, kShortcuts.c_str(), "Quintaxel"));
  // Each line once, where the second installation wrote it; the folders that only the first
  // made come after.
  const std::vector<std::string> files = {
      "file " + kQ + "\\license.eng.txt", "file " + kQ + "\\help\\english\\index.html",
      "file " + kQ + "\\quintaxel.exe", "folder " + kQ + "\\help\\english",
      "folder " + kQ + "\\help"};
  EXPECT_EQ(twice.steps, Concat(Concat(Concat(kShortcutSteps, RegistrySteps()), files), kTidying));
  EXPECT_EQ(twice.passedOver, 0);

  // Another language names the shortcuts otherwise, and another folder was picked: both stay in
  // the plan, the later installation's first. Paths repeat in any letter case.
  const std::string other = kPrograms + "\\Vorlen";
  const Plan mixed = BuildPlan(first + InstallationLog(false, other.c_str(), "\xD3\xE4\xE0\xEB"));
  const auto at = [&](const std::string& step) {
    return std::find(mixed.steps.begin(), mixed.steps.end(), step) - mixed.steps.begin();
  };
  EXPECT_EQ(at("file " + kDesktop + "\\\xD3\xE4\xE0\xEB.lnk"), 0);
  EXPECT_LT(at("folder " + other + " (quiet)"), at("file " + kDesktop + "\\Quintaxel.lnk"));
  EXPECT_LT(at("file " + kShortcuts + "\\Quintaxel.lnk"), at("folder " + kShortcuts + " (quiet)"));
  EXPECT_EQ(mixed.steps.size(), once.steps.size() + 4);

  const Plan cased = BuildPlan(kQ + "\\a.txt\r\nc:\\program files\\QUINTAXEL\\A.TXT\r\n");
  EXPECT_EQ(cased.steps, std::vector<std::string>{"file c:\\program files\\QUINTAXEL\\A.TXT"});
}

TEST(UninstallPlan, FoldersAndKeysComeAfterWhatTheyHold) {
  // The second installation made help\old again, but its payload no longer had old.txt in it;
  // it also named a key that the first had filled.
  const std::string key = "[" + kSettingsKey + "\\Recent";
  const Plan plan =
      BuildPlan(kQ + "\\help\\old\\\r\n" + kQ + "\\help\\old\\old.txt\r\n" + key + "\\one]\r\n" +
                kQ + "\\help\\old\\\r\n" + kQ + "\\new.txt\r\n" + key + "]\r\n");
  EXPECT_EQ(plan.steps,
            Concat({"file " + kQ + "\\new.txt", "value " + kSettingsKey + "\\Recent : one",
                    "value " + kSettingsKey + " : Recent", "file " + kQ + "\\help\\old\\old.txt",
                    "folder " + kQ + "\\help\\old"},
                   kTidying));
}

// Logs that are damaged or edited: what they name outside the product's places is passed over,
// and the rest still goes.
TEST(UninstallPlan, PassesOverWhatIsNotTheProducts) {
  const std::string registry = "[" + kSettingsKey + "\\language]\r\n";
  const std::string language = "value " + kSettingsKey + " : language";
  const std::string a = kQ + "\\a.txt\r\n";
  const std::string fileA = "file " + kQ + "\\a.txt";
  const struct {
    const char* what;
    std::string log;
    std::vector<std::string> steps;
    int passedOver;
  } rows[] = {
      {"empty log", "", {}, 0},
      {"only line ends", "\r\n\r\n\n", {}, 0},
      {"a file elsewhere", "C:\\Windows\\system32\\kernel32.dll\r\n" + a, {fileA}, 1},
      {"cut in a line", a + kQ + "\\quintaxel.e", {fileA}, 1},
      {"cut in a folder line", a + kQ + "\\help", {fileA}, 1},
      // A crash can leave zeros at the end of the log; the next installation writes after them.
      {"NUL bytes in lines",
       a + std::string(8, '\0') + kQ + "\\install.log\r\n" + kQ + "\\new.txt" +
           std::string(1, '\0') + "x\r\n" + kQ + "\\quintaxel.exe\r\n" + std::string(4, '\0'),
       {"file " + kQ + "\\quintaxel.exe", fileA},
       3},
      {"a line longer than any of the setup's", kQ + "\\" + std::string(600, 'x') + "\r\n", {}, 1},
      {"folders beside the install folder, one that starts alike, and the drive's root",
       "C:\\Program Files\\Other\\\r\nC:\\Program Files\\Other\\Quintaxel\\\r\n"
       "C:\\Program Files\\Quint\\\r\nC:\\\r\n",
       {},
       4},
      {"climbing out",
       kQ + "\\..\\..\\Windows\\win.ini\r\n" + kQ + "\\..\\Other\\\r\n" + kQ +
           "\\help\\.\\..\\..\\x\r\n" + kQ + "/../x\r\n" + kQ + "\\...\\x\r\n" + kQ +
           "\\. .\\x\r\n" + kQ + "\\\\x\r\n",
       {},
       7},
      {"a sibling folder that starts alike", "C:\\Program Files\\Quintaxel2\\x.txt\r\n", {}, 1},
      {"another registry key",
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Quintaxel]\r\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall]\r\n"
       "[HKEY_CURRENT_USER\\Software\\Vorlen Software\\Quintaxel2\\language]\r\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Vorlen Software\\Quintaxel\\language]\r\n"
       "[HKEY_CLASSES_ROOT\\Software\\Vorlen Software\\Quintaxel\\language]\r\n"
       "[HKEY_CURRENT_USER\\Software\\Vorlen Software\\Quintaxel\\\\x]\r\n",
       {},
       6},
      {"desktop files other than a .lnk in it",
       kDesktop + "\\notes.txt\r\n" + kDesktop + "\\Quintaxel.url\r\n" + kDesktop +
           "\\sub\\Quintaxel.lnk\r\n" + kDesktop + "\\Quintaxel.LNK\r\n",
       {"file " + kDesktop + "\\Quintaxel.LNK"},
       3},
      {"a shortcut folder not after the registry lines",
       kShortcuts + "\\\r\n" + kShortcuts + "\\Quintaxel.lnk\r\n",
       {},
       2},
      {"a shortcut file before its folder, and others than .lnk or .url in it",
       registry + kShortcuts + "\\x.lnk\r\n" + registry + kShortcuts + "\\\r\n" + kShortcuts +
           "\\evil.exe\r\n" + kShortcuts + "\\sub\\y.lnk\r\n" + kShortcuts + "\\Help.URL\r\n",
       Concat({"file " + kShortcuts + "\\Help.URL", "folder " + kShortcuts + " (quiet)", language},
              kTidying),
       3},
      {"a shortcut folder on a network share, which is never opened",
       registry + "\\\\server\\share\\Quintaxel\\\r\n" + "\\\\server\\share\\Quintaxel\\x.lnk\r\n",
       Concat({language}, kTidying), 2},
      {"a kept folder spelled otherwise",
       registry + "c:\\users\\ME\\Start Menu\\.\\Programs.\\\r\n", Concat({language}, kTidying), 0},
      {"the desktop picked as the shortcut folder",
       registry + kDesktop + "\\\r\n" + kDesktop + "\\Help.url\r\n",
       Concat({"file " + kDesktop + "\\Help.url", language}, kTidying), 0},
      // A name padded past 260 bytes with dots, that Windows drops, once opened the user's
      // file when it was cut to fit; it is no name of the product's either way.
      {"a desktop .lnk that Windows would open as the user's file",
       kDesktop + "\\notes.docx" + std::string(260, '.') + ".lnk\r\n" + kDesktop +
           "\\notes.docx....lnk\r\n",
       {},
       2},
      {"a shortcut file that Windows would open as the user's file",
       registry + kShortcuts + "\\\r\n" + kShortcuts + "\\notes.docx" + std::string(260, '.') +
           ".lnk\r\n",
       Concat({"folder " + kShortcuts + " (quiet)", language}, kTidying), 1},
      {"files and folders that are not the product's",
       kQ + "\\notes.docx\r\n" + kQ + "\\My drawings\\\r\n" + kQ + "\\help\\x.txt\r\n" + kQ +
           "\\a.txt\\\r\n" + kQ + "\\help\\english\\index.html\\x\r\n" + kQ + "\\help\\\r\n",
       {"folder " + kQ + "\\help"},
       5},
      {"paths of 259, 260 and 519 bytes",
       kQ + "\\" + kLong259 + "\r\n" + kQ + "\\" + kLong260 + "\r\n" + kQ + "\\" + kLong519 +
           "\r\n" + kQ + "\\\\" + kLong259 + "\r\n",
       {"file " + kQ + "\\" + kLong259},
       3},
      {"spellings that Windows opens as the product's files",
       kQ + "\\\\help//english\\index.html\r\n" + kQ + ".\\quintaxel.exe. . \r\n" + kQ +
           "\\help\\..\\.\\a.txt\r\n" + "c:\\PROGRAM FILES\\quintaxel\\NEW.TXT\r\n",
       {"file c:\\PROGRAM FILES\\quintaxel\\NEW.TXT", "file " + kQ + "\\a.txt",
        "file " + kQ + "\\quintaxel.exe", "file " + kQ + "\\help\\english\\index.html"},
       0},
      {"names Windows would not open as spelled",
       kQ + "\\help \\english\\index.html\r\n" + kQ + "\\help..\\english\\index.html\r\n" + kQ +
           "\\a.txt::$DATA\r\n",
       {},
       3},
  };
  for (const auto& row : rows) {
    const Plan plan = BuildPlan(row.log);
    EXPECT_EQ(plan.steps, row.steps) << row.what;
    EXPECT_EQ(plan.passedOver, row.passedOver) << row.what;
    EXPECT_EQ(plan.taken == 0, row.steps.empty()) << row.what;
  }
}

// The setup program logs every folder it made on its way to the install folder, outermost first:
// those lines are its own, and the folders go after the install folder, but only a chain of them
// from the install folder's parent up, and never a kept folder.
TEST(UninstallPlan, FoldersMadeAboveTheInstallFolderAreTheProducts) {
  const struct {
    std::string folder;
    std::vector<std::string> above;  // folder lines before the installation's own
    int foldersAbove, passedOver;
  } rows[] = {
      {"C:\\Apps\\Qx", {"C:\\Apps"}, 1, 0},
      {"C:\\A\\B\\Qx", {"C:\\A", "c:\\a\\B."}, 2, 0},
      {"C:\\A\\B\\Qx", {"C:\\A"}, 0, 0},  // C:\A\B was there before: so C:\A stays
      {"C:\\Apps\\Qx", {"C:\\Apps\\Other", "C:\\Apps\\Other\\Qx", "C:\\Apps\\Q"}, 0, 3},
      {kPrograms + "\\Qx", {kPrograms}, 0, 0},
      {"C:\\1\\2\\3\\4\\5\\6\\7\\8\\9\\Qx",
       {"C:\\1", "C:\\1\\2", "C:\\1\\2\\3", "C:\\1\\2\\3\\4", "C:\\1\\2\\3\\4\\5",
        "C:\\1\\2\\3\\4\\5\\6", "C:\\1\\2\\3\\4\\5\\6\\7", "C:\\1\\2\\3\\4\\5\\6\\7\\8",
        "C:\\1\\2\\3\\4\\5\\6\\7\\8\\9"},
       kMostFoldersAbove,
       0},
  };
  for (const auto& row : rows) {
    std::string log;
    for (const std::string& folder : row.above)
      log += folder + "\\\r\n";
    const Plan plan =
        BuildPlan(log + InstallationLog(true, nullptr, "Quintaxel", row.folder), row.folder);
    EXPECT_EQ(plan.foldersAbove, row.foldersAbove) << row.folder << " " << row.above[0];
    EXPECT_EQ(plan.passedOver, row.passedOver) << row.folder << " " << row.above[0];
    EXPECT_TRUE(plan.listsInstallFolder) << row.folder;
  }
}

// The log as the wizard writes it for an install folder that it spells otherwise than Windows
// names it: a leaf name typed with a trailing dot, or emptied, so that the install folder is the
// folder picked. Such an installation is undone like any other.
TEST(UninstallPlan, UndoesInstallationsIntoOddlySpelledFolders) {
  const std::string shortcuts = kShortcuts;
  const Plan plain = BuildPlan(InstallationLog(true, shortcuts.c_str(), "Quintaxel"));
  const Plan dotted = BuildPlan(
      InstallationLog(true, shortcuts.c_str(), "Quintaxel", "C:\\Program Files\\Quintaxel."));
  EXPECT_EQ(dotted.steps, plain.steps);
  EXPECT_EQ(dotted.passedOver, 0);
  EXPECT_TRUE(dotted.listsInstallFolder);

  const std::string picked = "C:\\Program Files";
  const Plan emptied =
      BuildPlan(InstallationLog(false, shortcuts.c_str(), "Quintaxel", picked + "\\"), picked);
  EXPECT_EQ(
      emptied.steps,
      BuildPlan(InstallationLog(false, shortcuts.c_str(), "Quintaxel", picked), picked).steps);
  EXPECT_EQ(emptied.passedOver, 0);
  EXPECT_FALSE(emptied.listsInstallFolder);
  EXPECT_NE(
      std::find(emptied.steps.begin(), emptied.steps.end(), "file " + picked + "\\quintaxel.exe"),
      emptied.steps.end());

  // Each item's place, down from which no folder may be a link: the install folder for its
  // files and folders, the shortcut folder for the shortcuts, the desktop for its shortcut; a
  // shortcut folder is its own place.
  const std::vector<std::string> places = {kDesktop, kShortcuts, kShortcuts, kShortcuts, kQ,
                                           kQ,       kQ,         kQ,         kQ};
  EXPECT_EQ(dotted.places, places);
}

// An installation into folders whose names end in a character whose second byte is that of "\"
// (表 in 932): the plan names exactly the folders and files that the setup program logged.
TEST(UninstallPlan, UndoesInstallationsIntoDoubleByteFolders) {
  const Plan plain = BuildPlan(InstallationLog(true, kShortcuts.c_str(), "Quintaxel"));
  const struct {
    int codePage;
    const char* character;
  } rows[] = {{932, "\x95\x5C"}, {936, "\x81\x5C"}, {949, "\xB0\x5C"}, {950, "\xA5\x5C"}};
  for (const auto& row : rows) {
    const CodePageScope codePage(row.codePage);
    const std::string folder = std::string("D:\\") + row.character + "\\Quintaxel";
    const std::string shortcuts = kPrograms + "\\" + row.character;
    const Plan plan =
        BuildPlan(InstallationLog(true, shortcuts.c_str(), "Quintaxel", folder), folder);
    std::vector<std::string> expected = plain.steps;
    for (std::string& step : expected)
      for (const auto& [from, to] : {std::make_pair(kShortcuts, shortcuts), {kQ, folder}})
        if (step.find(from) != std::string::npos) step.replace(step.find(from), from.size(), to);
    EXPECT_EQ(plan.steps, expected) << row.codePage;
    EXPECT_EQ(plan.passedOver, 0) << row.codePage;
    EXPECT_TRUE(plan.listsInstallFolder) << row.codePage;
  }
}

// A drive's root as the install folder: the product's names there are removed like anywhere
// else, and the root is never a step.
TEST(UninstallPlan, UndoesAnInstallationIntoADriveRoot) {
  const Plan plan = BuildPlan(
      "C:\\\r\nC:\\quintaxel.exe\r\nC:\\help\\\r\nC:\\help\\english\\\r\n"
      "C:\\help\\english\\index.html\r\nC:\\notes.txt\r\n",
      "C:\\");
  EXPECT_EQ(plan.steps, (std::vector<std::string>{"file C:\\help\\english\\index.html",
                                                  "folder C:\\help\\english", "folder C:\\help",
                                                  "file C:\\quintaxel.exe"}));
  EXPECT_EQ(plan.passedOver, 1);
  EXPECT_TRUE(plan.listsInstallFolder);
}

// A shortcut is the product's by what it points at, not by its name alone.
TEST(UninstallPlan, ShortcutsPointingAtTheProduct) {
  const struct {
    const char* file;
    std::string target;
    bool product;
  } rows[] = {
      {"Quintaxel.lnk", kQ + "\\quintaxel.exe", true},
      {"QUINTAXEL.LNK", "c:\\program files\\quintaxel.\\QUINTAXEL.EXE", true},
      {"x.lnk", kQ + "\\help\\english\\index.html", true},
      {"Quintaxel.lnk", kQ + "\\a.txt", false},
      {"Quintaxel.lnk", "C:\\Users\\me\\evil.exe", false},
      {"Quintaxel.lnk", "C:\\Program Files\\Quintaxel2\\quintaxel.exe", false},
      {"notes.lnk", kQ + "\\quintaxel.exe", false},
      {"Home page.url", "http://www.quintaxel.example/", true},
      {"Home page.url", "http://www.quintaxel.example/x", false},
      {"Home page.url", kQ + "\\quintaxel.exe", false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(IsProductShortcut(kShortcutNames, 6, row.file, row.target.c_str(), kQ.c_str()),
              row.product)
        << row.file << " -> " << row.target;
  EXPECT_TRUE(IsProductShortcut(kShortcutNames, 6, "y.lnk", "C:\\a.txt", "C:"));

  char address[64];
  const std::string url = "[InternetShortcut]\r\nIDList=\r\nURL=http://x.example/\r\nHotKey=0\r\n";
  ASSERT_TRUE(ReadInternetShortcutAddress(url.data(), int(url.size()), address, sizeof address));
  EXPECT_STREQ(address, "http://x.example/");
  EXPECT_FALSE(ReadInternetShortcutAddress("[InternetShortcut]\n", 19, address, sizeof address));
}

// Each spelling, what NormalizePath makes of it ("" when it refuses it), and whether the
// spelling itself is plain. Under Wine, GetFullPathNameA must agree with NormalizePath.
TEST(UninstallPaths, NormalisedAsWindowsDoesAndPlainPathsOnly) {
  const struct {
    std::string path, normalized;
    bool plain;
    int codePage = 1252;
  } rows[] = {
      {"C:\\Program Files\\Quintaxel", "C:\\Program Files\\Quintaxel", true},
      {"d:\\a\\b.txt", "d:\\a\\b.txt", true},
      {"C:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB", "C:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB",
       true},  // Windows-1251 letters
      {"\\\\server\\share\\Quintaxel", "\\\\server\\share\\Quintaxel", true},
      {"C:\\", "C:", false},
      {"C:", "", false},
      {"C:\\a\\", "C:\\a", false},
      {"C:\\a\\\\b", "C:\\a\\b", false},
      {"C:\\a\\.\\b", "C:\\a\\b", false},
      {"C:\\a\\..\\b", "C:\\b", false},
      {"C:\\a\\..", "C:", false},
      {"C:\\..\\..\\a", "C:\\a", false},
      {"C:\\a\\ ..", "C:\\a", false},
      {"C:\\a\\b.", "C:\\a\\b", false},
      {"C:\\a\\b ", "C:\\a\\b", false},
      {"C:\\a\\b. .", "C:\\a\\b", false},
      {"C:\\a.\\b", "C:\\a\\b", false},
      {"C:\\a.\\", "C:\\a", false},
      {"C:\\a..\\b", "C:\\a.\\b", false},
      {"C:\\a \\b", "C:\\a \\b", false},
      {"C:\\a\\...\\b", "C:\\a\\..\\b", false},
      {"C:\\a\\b\\...", "C:\\a\\b", false},
      {"C:/a", "C:\\a", false},
      {"C:\\a/b", "C:\\a\\b", false},
      {"C:\\a\\b:c", "C:\\a\\b:c", false},
      {"C:\\a\\*.txt", "C:\\a\\*.txt", false},
      {"C:\\a\\b\t", "C:\\a\\b\t", false},
      {"\\\\server\\share", "\\\\server\\share", false},
      {"\\\\server\\share\\..\\x", "\\\\server\\share\\x", false},
      {"\\\\?\\C:\\a", "\\\\?\\C:\\a", false},
      {"\\\\.\\C:\\a", "\\\\.\\C:\\a", false},
      {"\\a", "", false},
      {"a\\b", "", false},
      {"1:\\a", "", false},
      {"", "", false},
      // D:\一覧表\Quintaxel and ソ in code page 932: 表 and ソ end in the byte of "\".
      {"D:\\\x88\xEA\x97\x97\x95\x5C\\Quintaxel", "D:\\\x88\xEA\x97\x97\x95\x5C\\Quintaxel", true,
       932},
      {"D:\\\x95\x5C\\Quintaxel", "D:\\\x95\\Quintaxel", false, 1252},
      {"D:\\\x95\x5C\\\\a\\..\\\x83\x5C.", "D:\\\x95\x5C\\\x83\x5C", false, 932},
      {"D:\\\x95\x5C.\\\x83\x5C", "D:\\\x95\x5C\\\x83\x5C", false, 932},
      {"D:\\\x95\x5C\\..", "D:", false, 932},
      {"D:\\a\\\x83", "D:\\a\\\x83", false, 932},    // a lead byte alone
      {"D:\\\x83/\\a", "D:\\\x83/\\a", false, 932},  // "/" as a second byte
      {"\\\\s\x81\x5C\\share\\x", "\\\\s\x81\x5C\\share\\x", true, 936},
      {"C:\\\xB0\x5C\\x", "C:\\\xB0\x5C\\x", true, 949},
      {"C:\\" + std::string(254, 'a') + "\xA5\x5C", "C:\\" + std::string(254, 'a') + "\xA5\x5C",
       true, 950},
      {"C:\\" + std::string(255, 'a') + "\xA5", "C:\\" + std::string(255, 'a') + "\xA5", false,
       950},
  };
  for (const auto& row : rows) {
    const CodePageScope codePage(row.codePage);
    char normalized[kPathBufferSize], full[kPathBufferSize];
    if (!NormalizePath(row.path.c_str(), normalized)) normalized[0] = '\0';
    EXPECT_EQ(normalized, row.normalized) << row.path;
    EXPECT_EQ(IsPlainPath(row.path.c_str()), row.plain) << row.path;
    if (row.codePage == 1252 && normalized[0] && SystemFullPath(row.path.c_str(), full)) {
      EXPECT_STREQ(normalized, full) << row.path << " as Windows opens it";
    }
  }
  char out[kPathBufferSize];
  EXPECT_TRUE(NormalizePath((kQ + "\\" + kLong259).c_str(), out));
  EXPECT_FALSE(NormalizePath((kQ + "\\" + kLong260).c_str(), out)) << "never cut to fit";

  EXPECT_TRUE(IsInsideFolder("c:\\PROGRAM FILES\\quintaxel\\x", kQ.c_str()));
  EXPECT_FALSE(IsInsideFolder(kQ.c_str(), kQ.c_str()));
  EXPECT_FALSE(IsInsideFolder("C:\\a.txt", "C:\\")) << "a root holds nothing";
  // Only ASCII letters are folded: other code pages' letters compare as they are.
  EXPECT_FALSE(IsInsideFolder("C:\\\xCF\\x", "C:\\\xEF"));
  // Nor the second byte of a character: 0x83 0x41 and 0x83 0x61 are two characters in 932.
  const CodePageScope codePage(932);
  EXPECT_FALSE(IsInsideFolder("C:\\\x83\x41\\x", "C:\\\x83\x61"));
  EXPECT_TRUE(IsInsideFolder("C:\\\x95\x5C\\x", "c:\\\x95\x5C"));
}

TEST(UninstallRegistry, LinesIntoRootKeyAndName) {
  const struct {
    const char* line;
    bool parsed;
    RegistryRoot root;
    const char* lastName;
    int productKey;
  } rows[] = {
      {"[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaxel]",
       true, kLocalMachine, "Quintaxel", 0},
      {"[HKEY_CURRENT_USER\\Software\\Vorlen Software\\Quintaxel\\language]", true, kCurrentUser,
       "language", 1},
      {"[hkey_current_user\\SOFTWARE\\vorlen software\\QUINTAXEL\\a\\b]", true, kCurrentUser, "b",
       1},
      {"[HKEY_CURRENT_USER\\Software\\Vorlen Software]", true, kCurrentUser, "Vorlen Software", -1},
      {"[HKEY_CURRENT_USER\\Software]", true, kCurrentUser, "Software", -1},
      {"[HKEY_CURRENT_USER]", false, kCurrentUser, "", -1},
      {"[HKEY_CURRENT_USER\\]", false, kCurrentUser, "", -1},
      {"[HKEY_CURRENT_USER\\a\\]", false, kCurrentUser, "", -1},
      {"[HKEY_CURRENT_USER\\\\a]", false, kCurrentUser, "", -1},
      {"[HKEY_CURRENT_USERS\\a]", false, kCurrentUser, "", -1},
      {"[HKCU\\Software\\Vorlen Software\\Quintaxel\\language]", false, kCurrentUser, "", -1},
      {"HKEY_CURRENT_USER\\a", false, kCurrentUser, "", -1},
  };
  for (const auto& row : rows) {
    RegistryName name;
    ASSERT_EQ(ParseRegistryLine(row.line, &name), row.parsed) << row.line;
    if (!row.parsed) continue;
    EXPECT_EQ(name.root, row.root) << row.line;
    EXPECT_STREQ(name.path + name.lastAt, row.lastName) << row.line;
    EXPECT_EQ(ProductKeyOf(name), row.productKey) << row.line;
  }
}

TEST(UninstallOptions, CommandLines) {
  const struct {
    const char* arguments;
    UninstallMode mode;
  } rows[] = {
      {"", kAskFirst},
      {"/quiet", kQuiet},
      {"  /QUIET  ", kQuiet},
      {"/quieter", kAskFirst},
      {"/?", kAskFirst},
      {"/finish", kBadFinish},
      {"/finish 0 1 \"C:\\Q\\uninstall.exe\"", kBadFinish},
      {"/finish 12 x \"C:\\Q\\uninstall.exe\"", kBadFinish},
      {"/finish 12 1 C:\\Q\\uninstall.exe", kBadFinish},
      {"/finish 12 1 \"C:\\Q\\uninstall.exe", kBadFinish},
      {"/finish 12 1 \"\"", kBadFinish},
      {"/finish 12 1 \"C:\\Q\\uninstall.exe\" more", kBadFinish},
      {"/finish 99999999999999999999 1 \"C:\\Q\\uninstall.exe\"", kBadFinish},
      {"/finish 12 1 \"C:\\Q\\uninstall.exe\"", kFinish},
      {"/finish 12 \"C:\\Q\\uninstall.exe\"", kFinish},  // every folder stays
      {"/finish 12 1 2 3 4 5 6 7 8 9 \"C:\\Q\\uninstall.exe\"", kFinish},
      {"/finish 12 1 2 3 4 5 6 7 8 9 10 \"C:\\Q\\uninstall.exe\"", kBadFinish},
  };
  for (const auto& row : rows) {
    UninstallOptions options;
    ReadUninstallOptions(row.arguments, &options);
    EXPECT_EQ(options.mode, row.mode) << row.arguments;
  }
}

TEST(UninstallOptions, TheCopysCommandReadsBack) {
  char command[600];
  const std::string original = kQ + "\\uninstall.exe";
  const char* copy = "C:\\Users\\me\\Local Settings\\Temp\\qxuninstall4242.exe";
  for (const uintptr_t handle : {uintptr_t(1), uintptr_t(0x1F4), UINTPTR_MAX}) {
    // As the chain holds them, the drive's root first: the command names them innermost first.
    void* const chain[] = {reinterpret_cast<void*>(handle - 2), reinterpret_cast<void*>(handle - 1),
                           reinterpret_cast<void*>(handle)};
    for (int count = 0; count <= 3; ++count) {
      ASSERT_TRUE(FormatFinishCommand(command, sizeof command, copy, handle, chain + 3 - count,
                                      count, original.c_str()));
      const char* arguments = SkipProgramName(command);
      UninstallOptions options;
      ReadUninstallOptions(arguments, &options);
      EXPECT_EQ(options.mode, kFinish) << command;
      EXPECT_EQ(options.waitHandle, handle);
      ASSERT_EQ(options.folderCount, count) << command;
      for (int i = 0; i < count; ++i)
        EXPECT_EQ(options.folderHandles[i], handle - uintptr_t(i)) << command;
      EXPECT_EQ(original, options.original);
    }
  }
  void* const one[] = {reinterpret_cast<void*>(2)};
  EXPECT_FALSE(FormatFinishCommand(command, 40, copy, 1, one, 1, original.c_str()));
}

TEST(UninstallReport, ListEndsInACutMarkWhenFull) {
  static ReportList list = {};
  AddReportItem(&list, "C:\\a.txt");
  EXPECT_STREQ(list.text, "C:\\a.txt\n");
  const std::string item(kReportListSize / 2, 'x');
  AddReportItem(&list, item.c_str());
  AddReportItem(&list, item.c_str());  // no room for this one
  AddReportItem(&list, "C:\\b.txt");   // nor for any after it
  EXPECT_EQ(list.count, 4);
  EXPECT_EQ(std::string(list.text), "C:\\a.txt\n" + item + "\n...");
  EXPECT_LT(std::strlen(list.text), sizeof list.text);
}

}  // namespace
