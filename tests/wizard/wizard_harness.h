// Drives a running setup.exe through its real windows, from another process, as a user would:
// clicks and keys are posted, texts and states are read with window messages.
//
// Every read is a message that the wizard's user-interface thread answers between two of its own
// messages, so what it reads is never half of a page switch.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace wizard {

enum ControlId {
  kCancelId = 2,
  kBackId = 100,
  kNextId = 101,
  kCreateShortcutsId = 102,
  kDesktopShortcutId = 103,
  kLaunchId = 104,
  kLanguageListId = 300,
  kInstallListId = 301,
  kDriveSelectorId = 302,
  kInstallEditId = 303,
  kShortcutListId = 304,
  kShortcutEditId = 305,
};

constexpr int kPageCount = 7;

// ---- Reading windows of another process.

// Sends `message` and waits at most a few seconds for the answer (0 when none came).
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// One round trip through the thread that owns `window`: it has finished the message it was on.
void Settle(HWND window);

// The window text as Unicode (WM_GETTEXT): the wizard sets ANSI texts in its own code page, and
// the system converts them with that code page, so this is what the user reads.
std::wstring Text(HWND window);
std::string ClassName(HWND window);
DWORD Style(HWND window);
DWORD ExStyle(HWND window);
// The window's rectangle in its parent's client coordinates.
RECT PlaceInParent(HWND window);
// The direct children of `parent`, in creation order.
std::vector<HWND> Children(HWND parent);
bool IsChecked(HWND checkBox);

struct Entry {
  std::wstring text;
  DWORD data;
};
std::vector<Entry> ListEntries(HWND list);
std::vector<Entry> ComboEntries(HWND combo);

// Polls `condition` every few milliseconds until it holds or `timeoutMs` has passed. A condition
// whose window call never returns (a desktop that no longer answers) ends the test program a
// minute past the deadline with exit code 86 and a line that says so, rather than hang it.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// The visible top-level window of class `windowClass` ("#32770" for a message box) that the
// process `process` shows, or null.
HWND FindProcessWindow(DWORD process, const char* windowClass);
// Clicks the button `id` of the message box `box` and waits until the box has gone.
bool AnswerBox(HWND box, int id);

// ---- Text helpers.

std::wstring Widen(const std::string& bytes, UINT codePage = CP_ACP);
std::string Narrow(const std::wstring& text);  // for messages: UTF-8
// A Unix path of the build as Wine shows it: Z: and the path with backslashes.
std::string HostPath(const std::string& unixPath);
std::string ReadFileBytes(const std::string& path);
// The folder of the running test executable, without a trailing separator.
std::string ExecutableFolder();
// The subfolders of `folder`, in the order the file system enumerates them.
std::vector<std::string> Subfolders(const std::string& folder);
// Deletes a file, or a folder with everything in it, read-only files included.
void RemoveTree(const std::wstring& path);
void RemoveTree(const std::string& path);  // a path in the system code page
// The file-system path of the shell's special folder `csidl`, in the system code page.
std::string SpecialFolder(int csidl);
std::string FormatBytes(long long count);  // the wizard's byte-count text
long long TotalFreeBytes(const std::string& root);
bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text);

// ---- The setup language file, read with the project's own loader.

class SetupTexts {
 public:
  SetupTexts();  // reads data/setup/qxsetup.lng of the source tree
  // Reads another setup language file, given as a Windows path (a test's own variant).
  explicit SetupTexts(const std::string& path);
  std::vector<std::string> Sections() const;
  // The value of `key` in section `section` (index in file order), as bytes.
  std::string Value(int section, const char* key) const;
  // The same, as the wizard shows it when its code page is `codePage`.
  std::wstring Shown(int section, const char* key, UINT codePage = CP_ACP) const;
  // The licence text that section `section` names.
  std::string License(int section) const;

 private:
  std::string text_;
};

// ---- One run of setup.exe.

class Wizard {
 public:
  Wizard() = default;
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;
  ~Wizard() { End(); }

  // Starts setup.exe from the test executable's folder and waits until its main window shows.
  // False, with the reason in *error, when it does not.
  bool Start(std::string* error);
  // The same for another setup program beside the test executable (a variant built for a test).
  bool Start(const std::string& programName, std::string* error);
  // Ends the process if it still runs (only after a failed test).
  void End();
  bool Running() const;
  // Waits for the process to end; false when it is still running after `timeoutMs`.
  bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = 15000);

  HWND main() const { return main_; }
  HWND Control(int id) const;  // among all descendants of the main window
  // The panels: 0 is the header band, 1 to 7 the page panels.
  HWND Panel(int page) const;
  // The children of a panel in creation order.
  std::vector<HWND> PanelChildren(int page) const { return Children(Panel(page)); }
  // The page whose panel is shown; 0 when none or several are.
  int VisiblePage() const;
  // Waits until page n is shown and the button of id 2 reads `cancelText`, the last text that
  // the page switch sets, then until the switch has finished.
  bool WaitForPage(int n, const std::wstring& cancelText);
  HWND Focus() const;  // the wizard's focused window, or the main window when none
  // Where the focus, the wizard's active window and the foreground are, for failure messages.
  std::string DescribeFocus() const;

  // ---- Acting.

  void Click(HWND button) const { PostMessageW(button, BM_CLICK, 0, 0); }
  void Click(int id) const { Click(Control(id)); }
  // A key pressed and released on the focused window.
  void PressKey(UINT key) const;
  // A mouse click (or a double click) on entry `index` of a list box, scrolled into view first.
  void ClickListEntry(HWND list, int index, bool doubleClick = false) const;
  // The Down key on a closed drop-down list: its next entry is selected, with CBN_SELCHANGE.
  void ComboDown(HWND combo) const;
  // Replaces the text of an edit (WM_SETTEXT, which makes the edit notify its parent).
  void SetEditText(HWND edit, const std::wstring& text) const;
  // Types characters into an edit, each as a posted WM_CHAR.
  void Type(HWND edit, const std::wstring& text) const;

  // ---- The cancel confirmation.

  HWND Confirmation() const;  // the visible "#32770" box owned by the main window, or null
  HWND WaitForConfirmation(DWORD timeoutMs = 10000) const;
  // Answers the box with its button `id` (IDYES or IDNO) and waits until the box has gone.
  bool Answer(HWND box, int id) const;

 private:
  PROCESS_INFORMATION process_ = {};
  HWND main_ = nullptr;
};

// Closes the shell's folder windows (the installation opens one on the shortcut folder), as
// the user would, waiting up to `appearMs` for one to show. A folder window belongs to a shell
// process of its own, which would otherwise outlive the tests and keep their output open.
void CloseFolderWindows(DWORD appearMs);
// Whether a shell folder window shows within `appearMs` (it is left open).
bool FolderWindowShows(DWORD appearMs);

// ---- A fixed drive of the Wine prefix, added and removed through Wine's mount manager.

class ExtraDrive {
 public:
  // Creates the folder `unixFolder` (through Z:) and maps the first free letter from d: on to
  // it as a fixed drive. letter() is 0 when that fails (not under Wine, say).
  explicit ExtraDrive(const std::string& unixFolder);
  ~ExtraDrive();
  char letter() const { return letter_; }
  std::string root() const { return std::string(1, letter_) + ":\\"; }

 private:
  char letter_ = 0;
};

}  // namespace wizard
