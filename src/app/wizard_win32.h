// The wizard's process-wide state: its windows, the pages, and the driver that switches them.
#pragma once

#include <windows.h>

#include <atomic>

#include "package/package.h"

// Control ids.
enum {
  kCancelButtonId = 2,  // Cancel on pages 1 to 6, Finish on page 7
  kBackButtonId = 100,
  kNextButtonId = 101,
  kCreateShortcutsCheckId = 102,
  kDesktopShortcutCheckId = 103,
  kLaunchCheckId = 104,
  kLanguageComboId = 300,
  kInstallFolderListId = 301,
  kDriveSelectorId = 302,
  kInstallPathEditId = 303,
  kShortcutFolderListId = 304,
  kShortcutPathEditId = 305,
};

constexpr int kPageCount = 7;
inline constexpr char kMainWindowClass[] = "Vorlen installer main window";
inline constexpr char kMainWindowTitle[] = "Quintaxel setup";

struct WizardState {
  // Written by ShowPage, which the installation worker also calls for the last page, and read
  // by the user-interface thread: atomic, so that the two never race.
  std::atomic<int> currentPage{1};
  HWND pagePanels[kPageCount]{};  // page n is pagePanels[n - 1]; null when absent
};
extern WizardState wizardState;

// The setup language text inside the setup package, kept for language reloads.
extern const char* setupLanguageText;
extern const PackageEntryHeader* setupLanguageHeader;
extern int languageCount;

extern HWND mainWindow;
extern int clientWidth, clientHeight;

// Windows that the driver, the language reload and the worker use; written once by the build.
extern HWND headerCaption, backButton, nextButton, cancelButton, languageCombo, summaryLabel,
    createShortcutsCheck, desktopShortcutCheck, launchCheck, copyStatusLabel, copyFileLabel,
    copyProgress;
// The first text of the last page, which says whether the installation is complete.
extern HWND finishLabel;
// Page 3's line that says why the folder shown cannot be installed into, and page 4's for the
// shortcut folder; empty until then.
extern HWND installRefusalLabel, shortcutRefusalLabel;

// The start-up sequence and the message loop; returns the process exit status.
int RunSetup(HINSTANCE instance, const char* commandLineRest);

// Registers the main window class and creates mainWindow (hidden). False when the class cannot
// be registered or the window cannot be created: there is no wizard to wait for then.
bool CreateMainWindow(const char* title, HINSTANCE instance, WNDPROC procedure);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Switches to page n (1 to 7); any other number, or an absent panel, changes nothing.
void ShowPage(int n);

// Starts the installation worker thread; called once, by ShowPage for page 6.
void StartInstallWorker();
