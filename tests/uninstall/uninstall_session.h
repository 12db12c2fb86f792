// An installation made through the wizard, and the installed uninstall.exe run as Windows runs
// it: the command line of the uninstall entry's "UninstallString", its message boxes answered
// through their buttons.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wizard/wizard_group.h"

namespace uninstall_test {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaxel";
constexpr wchar_t kMakerKey[] = L"Software\\Vorlen Software";

enum UninstallExit {
  kRemovedAll = 0,
  kDeclined = 1,
  kNoLog = 2,
  kSomeLeft = 3,
  kPassedOver = 4,
  kOtherRegistered = 5
};

// Where an installation put things.
struct Installation {
  std::wstring folder;          // the install folder
  std::wstring shortcutFolder;  // the folder of the start-menu shortcuts
  std::wstring desktopLink;     // the shortcut on the desktop
  std::wstring log() const { return folder + L"\\install.log"; }
  std::wstring uninstaller() const { return folder + L"\\uninstall.exe"; }
};

// The "UninstallString" of the uninstall entry, "" when there is none.
std::wstring UninstallString();

// The texts of the product's language file quintaxel.lng in the source tree, section `section`
// (0 English, 1 Russian), as a program whose code page is `codePage` shows them.
std::wstring ProductText(int section, const char* key, UINT codePage = CP_ACP);

bool IsThere(const std::wstring& path);
// Starts a program of the host, such as "Z:\\bin\\ln" (Wine starts Unix programs too), with
// `arguments` (Unix paths); true when it could be started. Wine gives no handle to wait on: the
// caller waits for what the program does.
bool StartHostCommand(const char* program, const std::vector<std::string>& arguments);
// The Unix path of a Windows path: the opposite of wizard::HostPath.
std::string UnixPath(const std::wstring& path);
// Runs the host program `program` (Z:\\bin\\chmod, Z:\\bin\\chown) with `argument` on the Unix
// path of `path`, and waits until the owner or DACL that Wine shows for `path` has changed.
::testing::AssertionResult ChangeOnHost(const char* program, const std::string& argument,
                                        const std::wstring& path);
void WriteWholeFile(const std::wstring& path, const std::string& bytes);
using wizard::RemoveTree;

// Removes whatever `installation` left, without its uninstaller: the install folder and the
// shortcut folder with everything in them, the desktop shortcut, the uninstall entry and the
// maker's settings key. For the end of a test, whatever became of it.
void RemoveInstallation(const Installation& installation);

// One run of an uninstaller.
class UninstallerRun {
 public:
  UninstallerRun() = default;
  UninstallerRun(const UninstallerRun&) = delete;
  UninstallerRun& operator=(const UninstallerRun&) = delete;
  ~UninstallerRun();

  // Starts `commandLine` as Windows starts an "UninstallString": CreateProcess with the command
  // line alone.
  ::testing::AssertionResult Start(const std::wstring& commandLine);
  // The process's visible message box, waiting for it to show; null when none does.
  HWND WaitForBox() const;
  // Clicks the box's button `id` and waits until the box has gone.
  ::testing::AssertionResult Answer(HWND box, int id) const;
  // Waits for the process's message box, reads it and clicks its button `id`: what the box
  // showed, with no buttons when none showed or the click did not close it.
  wizard::Confirmation AnswerBox(int id) const;
  // Waits for the process to end and gives its exit code (-1 when it did not end).
  int WaitForExit();

  // After an uninstaller that removes itself has ended: waits until its copy in the temporary
  // folder has deleted `installation`'s uninstall.exe and log, checks that the copy is scheduled
  // for deletion at the next restart, and then does what the restart would do: deletes the copy
  // and its entry among the pending file operations.
  ::testing::AssertionResult WaitForSelfRemoval(const Installation& installation) const;
  // No copy of this run is there, nor scheduled for deletion.
  ::testing::AssertionResult LeftNoCopy() const;

 private:
  std::wstring CopyName() const;  // the copy's file name, after this run's process id
  PROCESS_INFORMATION process_ = {};
};

// A group whose tests each install through the wizard and uninstall again. Every test begins
// and ends without an installation of the product in the prefix.
class UninstallGroup : public wizard::WizardGroup {
 protected:
  static void SetUpTestSuite();
  void SetUp() override {}  // no wizard shared by the group
  void TearDown() override;

  // The message box a run showed was the product's, in language `section` (0 English, 1
  // Russian, shown in code page `codePage`), with `text` and the buttons `buttons`.
  static void ExpectBox(const wizard::Confirmation& box, const std::wstring& text,
                        const std::vector<int>& buttons, int section = 0, UINT codePage = CP_ACP);

  // Walks the wizard with its defaults (both shortcut kinds), in Russian with `russian`, and
  // finishes without starting the product. With `picked`, the install folder is chosen as a
  // user would: the folder `picked` of the drive's root clicked in the folder list, and `leaf`
  // typed as the leaf name; a `picked` with a drive letter is typed whole instead, a path whose
  // folders need not exist. `installation_.folder` is then that folder as Windows names it.
  // With `shortcutLeaf`, that is typed as the shortcut folder's leaf name on page 4.
  ::testing::AssertionResult Install(bool russian = false, const wchar_t* picked = nullptr,
                                     const wchar_t* leaf = L"",
                                     const wchar_t* shortcutLeaf = nullptr);

  // Runs the uninstaller through "UninstallString" with "/quiet"; its exit code.
  static int UninstallQuietly(UninstallerRun* run);

  Installation installation_;
};

}  // namespace uninstall_test
