// What an installation leaves on the system, read back as the user's system holds it: the
// payload as packed, the install log it should have written, registry values, shortcut files,
// file times; and the means to put the Wine prefix back as it was before a test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "wizard/wizard_harness.h"

namespace install {

// ---- The payload as packed, read with the project's own walk.

struct PayloadEntry {
  std::string name;  // with backslashes between folders
  std::string data;
  uint64_t creationTime, lastAccessTime, lastWriteTime;
};
// Every entry of the package file at `path` (a Windows path), in package order.
std::vector<PayloadEntry> ReadPayload(const std::string& path);
// The shipped payload, build/win32/packages/payload.pkg.
const std::vector<PayloadEntry>& ShippedPayload();

// ---- Places.

std::string ProgramFiles();  // on the Windows drive
std::string ProgramsFolder();
std::string DesktopFolder();
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
using wizard::RemoveTree;

// ---- The install log, as it should read: each line ends with CR LF.

std::string FolderLine(const std::string& folder);
std::string FileLine(const std::string& file);
// The lines of the copy phase of an installation into `folder`: its folder line when it is
// new, the log's own line, then per entry the lines of the folders that do not exist yet
// (`existing` holds the full paths of those that did before) and the entry's file line.
std::string CopyLines(const std::string& folder, const std::vector<PayloadEntry>& entries,
                      bool folderIsNew, std::set<std::string> existing = {});
// The three uninstall key lines and the nine settings key lines.
std::string RegistryLines();

// ---- Installed files.

// The file holds the entry's bytes and carries its three times.
::testing::AssertionResult InstalledAs(const std::string& path, const PayloadEntry& entry);
// The times alone, read without reading the file (a read can move its last-access time).
::testing::AssertionResult HasTimesOf(const std::string& path, const PayloadEntry& entry);

// ---- Registry values, through the 32-bit view the setup program writes to.

struct RegistryValue {
  bool present;
  DWORD type;
  std::string data;  // as stored, the terminating NUL of a string included
};
RegistryValue ReadRegistryValue(HKEY root, const char* key, const char* name);
// REG_SZ with `text` and its NUL.
::testing::AssertionResult IsStringValue(const RegistryValue& value, const std::string& text);

extern const char kUninstallKey[];
extern const char kSettingsKey[];

// Takes note of the two keys an installation writes (and the settings key's parent) and puts
// them back as they were: values restored, keys that were absent deleted.
class RegistryKeeper {
 public:
  RegistryKeeper();
  ~RegistryKeeper() { Restore(); }
  void Restore();

 private:
  struct Key {
    HKEY root;
    std::string path;
    bool existed;
    std::vector<std::pair<std::string, RegistryValue>> values;
  };
  std::vector<Key> keys_;
};

// Takes note of one file (the desktop shortcut, which every installation names alike) and
// puts it back as it was, or deletes it when it was absent.
class FileKeeper {
 public:
  explicit FileKeeper(const std::string& path);
  ~FileKeeper();

 private:
  std::string path_;
  bool existed_;
  std::string bytes_;
};

// ---- Shortcuts.

struct ShellLink {
  bool loaded;
  std::string path, description;
};
// A ".lnk" loaded back through the shell-link object.
ShellLink ReadShellLink(const std::string& file);
std::string InternetShortcutText(const std::string& target);  // what a ".url" holds
// The ".lnk" and ".url" files in `folder`, by name, sorted.
std::vector<std::string> ShortcutFiles(const std::string& folder);

// ---- Links, as another user plants them: host symbolic links, which Wine shows as reparse
// points.

// Makes `path` a link to `target` (Windows paths); fails when Wine does not show a link there.
::testing::AssertionResult MakeHostLink(const std::string& path, const std::string& target);
// Removes such a link as itself, never what it points at.
void RemoveHostLink(const std::string& path);
// Renames `from` to `to` on the host, whatever Windows handles are open on it.
::testing::AssertionResult MoveOnHost(const std::string& from, const std::string& to);
// Runs the host program line `command` on the Unix name of `path` (chmod 777, chown nobody) and
// waits until the owner or DACL that Wine shows for `path` has changed.
::testing::AssertionResult ChangeOnHost(const std::string& command, const std::string& path);

// ---- The installed program, started by Finish.

// The current folder of `process` (a handle with query and read access), as its process
// parameters hold it: with a trailing backslash.
std::string CurrentFolderOf(HANDLE process);

// The product's main window, once it shows within `timeoutMs`; null otherwise.
HWND WaitForProductWindow(DWORD timeoutMs);
// Closes the product and waits until its process has ended.
void EndProduct(HWND window);

}  // namespace install
