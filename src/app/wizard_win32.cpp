// The wizard driver: start-up, the main window, command routing, the page switch, cancel and
// finish.
#include "app/wizard_win32.h"

#include <shellapi.h>

#include "app/pages_win32.h"
#include "folders/code_page_win32.h"
#include "folders/drive_selector_win32.h"
#include "folders/folder_picker_win32.h"
#include "folders/path_text.h"
#include "install/install_paths.h"
#include "install/install_worker_win32.h"
#include "lang/fill_text.h"
#include "lang/language.h"
#include "lang/license.h"
#include "ui/controls_win32.h"
#include "ui/thunked_calls_win32.h"

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

// Back and Next are hidden from this page on.
constexpr int kCopyPage = 6;

// Sent by ShowPage to mainWindow with the page number, so that the focus is set on the
// user-interface thread also when the installation worker switches to the last page.
constexpr UINT kFocusPageMessage = WM_APP;

// The control that is given the focus back when the main window itself receives it: after the
// wizard was deactivated or the cancel confirmation closed, the system hands the focus to the
// main window, where the place on the page would be lost.
HWND focusToRestore;

bool CanTakeFocus(HWND window) {
  return window && IsChild(mainWindow, window) && IsWindowVisible(window) &&
         IsWindowEnabled(window);
}

HWND FirstTabStop(HWND panel) {
  for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE))
      return child;
  }
  return nullptr;
}

// Where the focus goes when page n shows: Finish on the last page; elsewhere the page's first
// tab stop, or Next where it has none, or the id-2 button where Next is hidden.
HWND PageFocusTarget(int n) {
  HWND first = n < kPageCount ? FirstTabStop(wizardState.pagePanels[n - 1]) : nullptr;
  if (first) return first;
  return n < kCopyPage ? nextButton : cancelButton;
}

// The installation opens the shortcut folder in a window of the shell, which comes up a moment
// before or after the last page and takes the foreground: the last page brings the wizard in
// front, and takes the foreground back the first time it loses it within a while after.
constexpr DWORD kFolderWindowWaitMs = 10000;
DWORD lastPageShownAt;  // 0 until the last page shows
bool foregroundTakenBack;

void FocusPage(int n) {
  if (n == kPageCount) {
    if (!lastPageShownAt) lastPageShownAt = GetTickCount() | 1;
    SetForegroundWindow(mainWindow);
  }
  focusToRestore = PageFocusTarget(n);
  SetFocus(focusToRestore);
}

void OnFocusToMainWindow() {
  if (CanTakeFocus(focusToRestore)) SetFocus(focusToRestore);
}

void OnActivate(WPARAM state) {
  if (LOWORD(state) != WA_INACTIVE) return;
  HWND focus = GetFocus();
  if (IsChild(mainWindow, focus)) focusToRestore = focus;
  if (lastPageShownAt && !foregroundTakenBack &&
      GetTickCount() - lastPageShownAt < kFolderWindowWaitMs) {
    foregroundTakenBack = true;
    PostMessageA(mainWindow, kFocusPageMessage, kPageCount, 0);
  }
}

// A control that holds the focus hands it to Next, or to the id-2 button where Next is hidden,
// before it is disabled: a disabled window loses the focus to nothing, and then no key reaches
// the wizard.
void MoveFocusOff(HWND window) {
  if (GetFocus() == window) SetFocus(IsWindowVisible(nextButton) ? nextButton : cancelButton);
}

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
  focusToRestore = GetFocus();  // the box takes it, and "No" gives it back
  if (MessageBoxA(mainWindow, LookupText("cn_text"), LookupText("cn_caption"),
                  MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  // A copy that is still running is stopped and undone first; the worker then ends the program.
  if (InterlockedCompareExchange(&installState, kWorkerCancelling, kWorkerRunning) ==
      kWorkerRunning)
    EnableWindow(cancelButton, FALSE);
  else
    DestroyWindow(mainWindow);
}

bool IsActionable(HWND button) {
  return IsWindowVisible(button) && IsWindowEnabled(button);
}

// The text typed is the text used: a character that the system's code page cannot hold would
// be replaced by another (an omega by "O"), and name another folder.
bool IsHeldByCodePage(HWND edit) {
  wchar_t text[kPathBufferSize];
  char bytes[2 * kPathBufferSize];
  BOOL replaced = FALSE;
  GetWindowTextW(edit, text, kPathBufferSize);
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, bytes, sizeof bytes, nullptr,
                      &replaced);
  return !replaced;
}

// Page 3 is left only for a folder that can be installed into, page 4 only for a shortcut folder
// that can take the shortcuts; otherwise the page's line says why, and the page stays. A
// disabled edit names no folder.
bool AcceptFolder(FolderPicker* picker, HWND refusalLabel, InstallFolderCheck (*checkFolder)()) {
  InstallFolderCheck check = kFolderTextReplaced;
  if (!IsWindowEnabled(picker->pathEdit) || IsHeldByCodePage(picker->pathEdit)) {
    // The folder that is shown is the folder that is used, however it was typed.
    TakeTypedPath(picker);
    check = checkFolder();
  }
  SetWindowTextA(refusalLabel, InstallFolderCheckText(check));
  return check == kFolderUsable;
}

void OnCreateShortcutsClicked(HWND checkBox) {
  const BOOL enable = IsChecked(checkBox);
  SetWindowTextA(shortcutRefusalLabel, "");
  if (!enable) {
    MoveFocusOff(shortcutPicker.list);
    MoveFocusOff(shortcutPicker.pathEdit);
  }
  EnableWindow(shortcutPicker.list, enable);
  EnableWindow(shortcutPicker.pathEdit, enable);
}

void OnFolderListNotice(FolderPicker* picker, int code) {
  if (code == LBN_SELCHANGE) ComposePickerPath(picker);
  if (code == LBN_DBLCLK) NavigateFolderList(picker);
}

// Enter reaches the main window as command IDOK, since it names no default button: in a folder
// list it opens the selected folder, as a double click does; elsewhere it means nothing.
void OnEnterKey() {
  HWND focus = GetFocus();
  if (focus == installPicker.list) NavigateFolderList(&installPicker);
  if (focus == shortcutPicker.list) NavigateFolderList(&shortcutPicker);
}

// Routes one WM_COMMAND; returns true when the default procedure is to be left out.
bool OnCommand(int id, int code, HWND control) {
  switch (id) {
    case kBackButtonId:
      if (IsActionable(backButton)) ShowPage(wizardState.currentPage - 1);
      break;
    case kNextButtonId:
      // A second click queued while the first one switched pages, or the dialog keys' command
      // for a hidden default button, must not act on the page that followed.
      if (!IsActionable(nextButton)) break;
      if (wizardState.currentPage == 3 &&
          !AcceptFolder(&installPicker, installRefusalLabel, CheckInstallFolder))
        break;
      if (wizardState.currentPage == 4 &&
          !AcceptFolder(&shortcutPicker, shortcutRefusalLabel, CheckShortcutFolder))
        break;
      ShowPage(wizardState.currentPage + 1);
      break;
    case kCancelButtonId:
      OnCancelOrFinish();
      break;
    case IDOK:
      OnEnterKey();
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
      if (code == EN_CHANGE) SetWindowTextA(installRefusalLabel, "");
      OnPathEditChanged(&installPicker);
      break;
    case kShortcutFolderListId:
      OnFolderListNotice(&shortcutPicker, code);
      break;
    case kShortcutPathEditId:
      if (code == EN_CHANGE) SetWindowTextA(shortcutRefusalLabel, "");
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
  UseSystemCodePage();
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
    case WM_CLOSE:
      // Closing the window while the worker runs asks as Cancel does, so that the copy is
      // undone, never cut off in mid-file.
      if (installState == kWorkerIdle) break;
      if (installState == kWorkerRunning) OnCancelOrFinish();
      return 0;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      break;
    case kFocusPageMessage:
      FocusPage(int(wParam));
      return 0;
    case WM_ACTIVATE:
      OnActivate(wParam);
      break;
    case WM_SETFOCUS:
      OnFocusToMainWindow();
      return 0;
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
  // Before Back is disabled or the buttons hidden, so that none of them keeps the focus.
  SendMessageA(mainWindow, kFocusPageMessage, WPARAM(n), 0);
  EnableWindow(backButton, n != 1);
  if (n == 5) ShowSummary();
  if (n == 6) {
    ShowWindow(backButton, SW_HIDE);
    ShowWindow(nextButton, SW_HIDE);
    StartInstallWorker();
  }
}

void StartInstallWorker() {
  installState = kWorkerRunning;
  if (!CreateThread(nullptr, 0, InstallWorker, nullptr, 0, nullptr)) installState = kWorkerIdle;
}
