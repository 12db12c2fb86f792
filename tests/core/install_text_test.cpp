#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "install/install_paths.h"
#include "install/install_text.h"

namespace {

// Everything written to a temporary stream, read back. The stream is binary here, so the line
// feeds stay single; the Windows suite checks the CR LF of the real log.
std::string Written(void (*write)(FILE*)) {
  FILE* f = std::tmpfile();
  write(f);
  std::string text;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;)
    text += char(c);
  std::fclose(f);
  return text;
}

TEST(InstallLog, LineKinds) {
  EXPECT_EQ(Written([](FILE* f) { WriteFolderLine(f, "C:\\Program Files\\Quintaxel"); }),
            "C:\\Program Files\\Quintaxel\\\n");
  EXPECT_EQ(Written([](FILE* f) { WriteFileLine(f, "C:\\Q\\install.log"); }),
            "C:\\Q\\install.log\n");
  // Paths are data: a % in a folder name is written as it stands.
  EXPECT_EQ(Written([](FILE* f) { WriteFileLine(f, "C:\\100%s\\%n.txt"); }), "C:\\100%s\\%n.txt\n");
  // A line goes out whole or not at all.
  EXPECT_EQ(Written([](FILE* f) { WriteFileLine(f, std::string(600, 'x').c_str()); }), "");
}

TEST(InstallLog, RegistryLines) {
  EXPECT_EQ(Written([](FILE* f) { WriteUninstallKeyLines(f); }),
            "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
            "Quintaxel]\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
            "Quintaxel\\DisplayName]\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
            "Quintaxel\\UninstallString]\n");
  std::string expected;
  for (const char* name :
       {"content", "fullpath", "height", "language", "left", "state", "top", "view", "width"})
    expected +=
        std::string("[HKEY_CURRENT_USER\\Software\\Vorlen Software\\Quintaxel\\") + name + "]\n";
  EXPECT_EQ(Written([](FILE* f) { WriteSettingsKeyLines(f); }), expected);
}

// The installation makes a file only when its line is in: each writer says whether it is.
TEST(InstallLog, WritersSayWhetherTheLineIsIn) {
  FILE* good = std::tmpfile();
  EXPECT_TRUE(WriteFolderLine(good, "C:\\Q"));
  EXPECT_TRUE(WriteFileLine(good, "C:\\Q\\a.txt"));
  std::fclose(good);
  FILE* none = nullptr;
  EXPECT_FALSE(WriteFolderLine(none, "x"));
  EXPECT_FALSE(WriteFileLine(none, "x"));
  EXPECT_FALSE(WriteUninstallKeyLines(none));
  EXPECT_FALSE(WriteSettingsKeyLines(none));
  // A stream that refuses writes, as a full disk does.
  const char* path = "install_text_test.tmp";
  std::fclose(std::fopen(path, "w"));
  FILE* refusing = std::fopen(path, "r");
  ASSERT_NE(refusing, nullptr);
  EXPECT_FALSE(WriteFileLine(refusing, "C:\\Q\\a.txt"));
  EXPECT_FALSE(WriteFolderLine(refusing, "C:\\Q"));
  std::fclose(refusing);
  std::remove(path);
}

TEST(UninstallCommand, QuotedOnlyWhenThePathHoldsASpace) {
  char out[260];
  ASSERT_TRUE(
      FormatUninstallCommand(out, sizeof out, "C:\\Program Files\\Quintaxel\\uninstall.exe"));
  EXPECT_STREQ(out, "\"C:\\Program Files\\Quintaxel\\uninstall.exe\"");
  ASSERT_TRUE(FormatUninstallCommand(out, sizeof out, "C:\\Apps\\Quintaxel\\uninstall.exe"));
  EXPECT_STREQ(out, "C:\\Apps\\Quintaxel\\uninstall.exe");
  const std::string spaced = "C:\\A B\\" + std::string(250, 'x');  // 257 bytes, 259 quoted
  EXPECT_TRUE(FormatUninstallCommand(out, sizeof out, spaced.c_str()));
  EXPECT_FALSE(FormatUninstallCommand(out, sizeof out, (spaced + "y").c_str()));
}

// What the installation may make, judged before it makes anything.
TEST(InstallPaths, OnlyPathsWindowsTakesAsTheyStandAndThatFit) {
  const std::string folder245 = "C:\\" + std::string(242, 'f');
  const struct {
    std::string folder, name, path;  // path "" when refused
  } rows[] = {
      {"C:\\Program Files\\Quintaxel", "help\\english\\index.html",
       "C:\\Program Files\\Quintaxel\\help\\english\\index.html"},
      {"C:\\", "quintaxel.exe", "C:\\quintaxel.exe"},  // a drive root may be the folder
      {"\\\\server\\share", "quintaxel.exe", "\\\\server\\share\\quintaxel.exe"},
      {folder245, "uninstall.exe", folder245 + "\\uninstall.exe"},  // 259 bytes
      {folder245 + "x", "uninstall.exe", ""},
      {"C:\\Program Files\\Qx2 ", "install.log", ""},
      {"C:\\Program Files\\Quint|axel", "install.log", ""},
      {"C:\\Program Files\\NUL", "install.log", ""},
      {"C:\\Program Files\\com1.log", "install.log", ""},
      {"C:\\Program Files\\..", "install.log", ""},
      {"C:\\C:\\", "install.log", ""},
      {"C:\\Program Files\\Quintaxel", "", ""},
      {"Quintaxel", "install.log", ""},
  };
  for (const auto& row : rows) {
    char out[260];
    const bool composed = ComposeInstallPath(out, row.folder.c_str(), row.name.c_str());
    EXPECT_EQ(composed ? std::string(out) : "", row.path) << row.folder << " + " << row.name;
  }
}

TEST(InstallPaths, NeverTheWindowsFolder) {
  for (const char* folder : {"C:\\Program Files\\Quintaxel", "C:\\", "C:\\windows2"})
    EXPECT_TRUE(IsInstallFolderAllowed(folder, "C:\\windows")) << folder;
  for (const char* folder : {"C:\\WINDOWS", "c:\\Windows\\System32", "C:\\Program Files\\Qx2 "})
    EXPECT_FALSE(IsInstallFolderAllowed(folder, "C:\\windows")) << folder;
}

}  // namespace
