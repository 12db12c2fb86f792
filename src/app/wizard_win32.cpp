// The wizard driver: start-up, the main window, command routing, the page switch, cancel and
// finish.
#include "app/wizard_win32.h"

#include <shellapi.h>

#include "app/pages_win32.h"
#include "folders/drive_selector_win32.h"
#include "folders/folder_picker_win32.h"
#include "folders/path_text.h"
#include "install/install_paths.h"
#include "install/install_worker_win32.h"
#include "lang/fill_text.h"
#include "lang/language.h"
#include "lang/license.h"
#include "ui/controls_win32.h"

WizardState wizardState;
const char* setupLanguageText;
const PackageEntryHeader* setupLanguageHeader;
int languageCount;
HWND mainWindow;
int clientWidth, clientHeight;

namespace {

const char kDamagedText[] =
    "This setup program is damaged: the data it installs from is missing.\n"
    "Please download Quintaxel setup again.";

// Exit statuses: 0 after a normal run.
enum { kExitDamaged = 2, kExitNoWindow = 3 };

// Sets the text of `window` to the value of the key built from page n and `suffix`.
void SetPageText(HWND window, int n, const char* suffix) {
  char key[16];
  wsprintfA(key, "%d%s", n, suffix);
  SetWindowTextA(window, LookupText(key));
}

const char* YesNo(HWND checkBox) {
  return LookupText(IsChecked(checkBox) ? "5_04" : "5_05");
}

// The summary fills the "%s" slots of a translatable text; a text too long for its 512 bytes
// is only shown, so it is cut.
void ShowSummary() {
  const char* const texts[] = {installPicker.path, YesNo(createShortcutsCheck),
                               YesNo(desktopShortcutCheck)};
  char summary[512];
  FillTextSlots(summary, sizeof summary, LookupText("5_02"), texts, 3);
  SetWindowTextA(summaryLabel, summary);
}

// Starts the installed program in its own folder, not in setup's (the user's Downloads, say). A
// path that would not fit 260 bytes starts nothing: a cut path could name another program.
void LaunchProduct() {
  char program[kPathBufferSize];
  if (!JoinInstallPath(program, installPicker.path, LookupText("sc1src"))) return;
  ShellExecuteA(mainWindow, "open", program, "", installPicker.path, SW_SHOW);
}

void OnCancelOrFinish() {
  if (wizardState.currentPage == kPageCount) {
    if (IsChecked(launchCheck)) LaunchProduct();
    SendMessageA(mainWindow, WM_CLOSE, 0, 0);
    return;
  }
  if (MessageBoxA(mainWindow, LookupText("cn_text"), LookupText("cn_caption"),
                  MB_YESNO | MB_ICONQUESTION) == IDYES)
    SendMessageA(mainWindow, WM_CLOSE, 0, 0);
}

void OnCreateShortcutsClicked(HWND checkBox) {
  const BOOL enable = IsChecked(checkBox);
  EnableWindow(shortcutPicker.list, enable);
  EnableWindow(shortcutPicker.pathEdit, enable);
}

void OnFolderListNotice(FolderPicker* picker, int code) {
  if (code == LBN_SELCHANGE) ComposePickerPath(picker);
  if (code == LBN_DBLCLK) NavigateFolderList(picker);
}

// Routes one WM_COMMAND; returns true when the default procedure is to be left out.
bool OnCommand(int id, int code, HWND control) {
  switch (id) {
    case kBackButtonId:
      ShowPage(wizardState.currentPage - 1);
      break;
    case kNextButtonId:
      // The folder that is shown is the folder that is used, however it was typed.
      if (wizardState.currentPage == 3) TakeTypedPath(&installPicker);
      if (wizardState.currentPage == 4) TakeTypedPath(&shortcutPicker);
      ShowPage(wizardState.currentPage + 1);
      break;
    case kCancelButtonId:
      OnCancelOrFinish();
      break;
    case kCreateShortcutsCheckId:
      if (code == BN_CLICKED) OnCreateShortcutsClicked(control);
      break;
    case kLanguageComboId:
      if (code == CBN_SELCHANGE) ReloadLanguage(LanguageName(ComboGetSelection(languageCombo)));
      return true;
    case kInstallFolderListId:
      OnFolderListNotice(&installPicker, code);
      break;
    case kDriveSelectorId:
      if (code == CBN_SELCHANGE)
        OnDriveChanged(&installPicker, ComboGetSelection(installPicker.driveSelector));
      return true;
    case kInstallPathEditId:
      OnPathEditChanged(&installPicker);
      break;
    case kShortcutFolderListId:
      OnFolderListNotice(&shortcutPicker, code);
      break;
    case kShortcutPathEditId:
      OnPathEditChanged(&shortcutPicker);
      break;
  }
  return false;
}

bool FindSetupLanguage() {
  const uint8_t* text = FindPackageEntry(kSetupPackage, "qxsetup.lng", &setupLanguageHeader);
  setupLanguageText = reinterpret_cast<const char*>(text);
  return text != nullptr;
}

void RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(mainWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

int RunSetup(HINSTANCE instance, const char* /*commandLineRest: there are no options*/) {
  LocatePackages();
  if (!FindSetupLanguage()) {
    // There is no language to take a text from, and a setup that shows nothing would only be
    // started again.
    MessageBoxA(nullptr, kDamagedText, kMainWindowTitle, MB_OK | MB_ICONERROR);
    return kExitDamaged;
  }
  const int length = int(EntryDataSize(setupLanguageHeader));
  languageCount = CollectLanguageNames(setupLanguageText, length);
  const char* first = LanguageName(0);
  LoadLanguageSection(setupLanguageText, length, first ? first : "");
  if (!BuildWizardPages(instance)) return kExitNoWindow;
  ShowPage(1);
  ShowWindow(mainWindow, SW_SHOW);
  RunMessageLoop();
  FreeLicenseText();
  return 0;
}

bool CreateMainWindow(const char* title, HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  if (!RegisterClassA(&windowClass)) return false;
  mainWindow = CreateWindowExA(
      0, kMainWindowClass, title, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
      CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
  if (!mainWindow) return false;
  RECT client = {};
  GetClientRect(mainWindow, &client);
  clientWidth = client.right;
  clientHeight = client.bottom;
  return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ShowPage(int n) {
  if (n < 1 || n > kPageCount || !wizardState.pagePanels[n - 1]) return;
  for (HWND panel : wizardState.pagePanels)
    if (panel) ShowWindow(panel, SW_HIDE);
  ShowWindow(wizardState.pagePanels[n - 1], SW_SHOW);
  SetPageText(headerCaption, n, "_00");
  SetPageText(backButton, n, "_prev");
  SetPageText(nextButton, n, "_next");
  SetPageText(cancelButton, n, "_cancel");
  wizardState.currentPage = n;
  EnableWindow(backButton, n != 1);
  if (n == 5) ShowSummary();
  if (n == 6) {
    ShowWindow(backButton, SW_HIDE);
    ShowWindow(nextButton, SW_HIDE);
    StartInstallWorker();
  }
}

void StartInstallWorker() {
  CreateThread(nullptr, 0, InstallWorker, nullptr, 0, nullptr);
}
