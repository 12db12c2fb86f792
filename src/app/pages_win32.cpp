// The page build and the language reload. The pages are tables of controls, one row per
// control in the order of creation; the reload walks the same rows to set every text again.
#include "app/pages_win32.h"

#include <shlobj.h>

#include "app/wizard_win32.h"
#include "folders/byte_count.h"
#include "folders/drive_selector_win32.h"
#include "folders/folder_picker_win32.h"
#include "folders/folders_win32.h"
#include "folders/path_text.h"
#include "install/registration_win32.h"
#include "lang/language.h"
#include "lang/license.h"
#include "ui/common_controls_win32.h"
#include "ui/controls_win32.h"
#include "ui/thunked_calls_win32.h"

HWND headerCaption, backButton, nextButton, cancelButton, languageCombo, summaryLabel,
    createShortcutsCheck, desktopShortcutCheck, launchCheck, copyStatusLabel, copyFileLabel,
    copyProgress, finishLabel, installRefusalLabel, shortcutRefusalLabel;

namespace {

HWND headerBand, headerTitle, licenseViewer, requiredSpaceLabel;

enum ControlKind {
  kLabel,
  kCheckBox,  // created checked
  kLanguageList,
  kLicenseViewer,
  kProgressBar,
  kFreeSpaceLabel,
  kRequiredSpaceLabel,
  kPathEdit,
  kFolderList,
  kDriveSelector,
};

// What the language reload sets a control's text to.
enum ReloadText { kReloadKey, kReloadEmpty, kReloadLicense, kReloadNothing };

// A width of 0 or less is measured from the client width: 0 is W, -40 is W - 40.
// The fields are as narrow as their values, since every user downloads the table.
// The key is held in the row, not pointed at: a pointer would be one more relocation.
struct ControlRow {
  unsigned char page;
  ControlKind kind : 8;
  ReloadText reload : 8;
  char key[5];  // empty for a control without a text of its own
  short x, y, width, height, id;
  HWND* handle;
};

const ControlRow kPageRows[] = {
    {1, kLabel, kReloadKey, "1_01", 20, 10, 300, 35, 0, nullptr},
    {1, kLabel, kReloadKey, "1_02", 20, 50, 400, 35, 0, nullptr},
    {1, kLanguageList, kReloadNothing, "", 20, 95, 200, 80, kLanguageComboId, &languageCombo},

    {2, kLabel, kReloadKey, "2_01", 20, 10, 0, 35, 0, nullptr},
    {2, kLicenseViewer, kReloadLicense, "", 20, 30, -40, 108, 0, &licenseViewer},
    {2, kLabel, kReloadKey, "2_02", 20, 145, 300, 15, 0, nullptr},

    {3, kFreeSpaceLabel, kReloadNothing, "", 290, 80, 100, 15, 0, nullptr},
    {3, kLabel, kReloadKey, "3_01", 20, 10, -20, 15, 0, nullptr},
    {3, kLabel, kReloadKey, "3_02", 280, 30, 140, 15, 0, nullptr},
    {3, kLabel, kReloadKey, "3_03", 280, 65, 140, 15, 0, nullptr},
    {3, kRequiredSpaceLabel, kReloadNothing, "", 290, 45, 140, 15, 0, &requiredSpaceLabel},
    {3, kPathEdit, kReloadNothing, "", 20, 30, 250, 20, kInstallPathEditId, nullptr},
    {3, kDriveSelector, kReloadNothing, "", 20, 144, 250, 170, kDriveSelectorId, nullptr},
    {3, kFolderList, kReloadNothing, "", 20, 50, 250, 100, kInstallFolderListId, nullptr},
    {3, kLabel, kReloadEmpty, "", 280, 100, 110, 65, 0, &installRefusalLabel},

    {4, kCheckBox, kReloadKey, "4_01", 20, 10, 380, 15, kCreateShortcutsCheckId,
     &createShortcutsCheck},
    {4, kPathEdit, kReloadNothing, "", 20, 30, -40, 20, kShortcutPathEditId, nullptr},
    {4, kFolderList, kReloadNothing, "", 20, 50, 250, 100, kShortcutFolderListId, nullptr},
    {4, kCheckBox, kReloadKey, "4_02", 20, 148, 380, 15, kDesktopShortcutCheckId,
     &desktopShortcutCheck},
    {4, kLabel, kReloadEmpty, "", 280, 50, 110, 95, 0, &shortcutRefusalLabel},

    {5, kLabel, kReloadKey, "5_01", 20, 10, 390, 55, 0, nullptr},
    {5, kLabel, kReloadKey, "5_02", 20, 50, 390, 45, 0, &summaryLabel},
    {5, kLabel, kReloadKey, "5_03", 20, 100, 390, 35, 0, nullptr},

    {6, kLabel, kReloadKey, "6_01", 20, 10, 390, 35, 0, nullptr},
    {6, kLabel, kReloadEmpty, "6_02", 20, 30, 390, 40, 0, &copyStatusLabel},
    {6, kLabel, kReloadEmpty, "", 20, 90, 390, 15, 0, &copyFileLabel},
    {6, kProgressBar, kReloadNothing, "", 20, 105, -40, 20, 0, &copyProgress},

    {7, kLabel, kReloadKey, "7_01", 20, 10, 390, 35, 0, &finishLabel},
    {7, kCheckBox, kReloadKey, "7_02", 20, 40, 380, 15, kLaunchCheckId, &launchCheck},
    {7, kLabel, kReloadKey, "7_03", 20, 90, 390, 40, 0, nullptr},
};
constexpr int kPageRowCount = sizeof kPageRows / sizeof kPageRows[0];

// Every page control, by row, for the reload.
HWND pageControls[kPageRowCount];

const char* RowText(const ControlRow& row) {
  return row.key[0] ? LookupText(row.key) : "";
}

int RowWidth(const ControlRow& row) {
  return row.width > 0 ? row.width : clientWidth + row.width;
}

FolderPicker* PickerOfPage(int page) {
  return page == 3 ? &installPicker : &shortcutPicker;
}

void FillLanguageList() {
  for (int i = 0; i < languageCount; ++i)
    ComboAddString(languageCombo, LanguageName(i));
  ComboSetSelection(languageCombo, 0);
}

HWND CreateRequiredSpaceLabel(HINSTANCE instance, HWND panel, const ControlRow& row) {
  char size[16];
  FormatByteCount(int64_t(PackageSize(kPayloadPackage)), size);
  return CreateLabel(instance, panel, row.x, row.y, RowWidth(row), row.height, size);
}

HWND CreateRow(HINSTANCE instance, HWND panel, const ControlRow& row) {
  const int x = row.x, y = row.y, width = RowWidth(row), height = row.height;
  FolderPicker* picker = PickerOfPage(row.page);
  switch (row.kind) {
    case kLabel:
      return CreateLabel(instance, panel, x, y, width, height, RowText(row));
    case kCheckBox:
      return CreateCheckBox(instance, panel, x, y, width, height, row.id, RowText(row), 1);
    case kLanguageList:
      return CreateComboBox(instance, panel, x, y, width, height, row.id);
    case kLicenseViewer:
      LoadLicenseText();
      return CreateTextViewer(instance, panel, x, y, width, height, licenseText);
    case kProgressBar:
      return CreateProgressBar(instance, panel, x, y, width, height);
    case kFreeSpaceLabel:
      return picker->freeSpaceLabel = CreateLabel(instance, panel, x, y, width, height, "");
    case kRequiredSpaceLabel:
      return CreateRequiredSpaceLabel(instance, panel, row);
    case kPathEdit:
      return CreatePathEdit(instance, panel, row.id, picker, x, y, width, height);
    case kFolderList:
      return CreateFolderList(instance, panel, row.id, picker, x, y, width, height);
    case kDriveSelector:
      return CreateDriveSelector(instance, panel, row.id, picker, x, y, width, height);
  }
  return nullptr;
}

// A picker starts cleared, at its default folder, with the product's folder as its leaf name.
void PreparePicker(FolderPicker* picker, void (*defaultFolder)(char*), int scrollSelectionToTop) {
  *picker = FolderPicker{};
  defaultFolder(picker->path);
  lstrcpyA(picker->leafName, "Quintaxel");
  picker->scrollSelectionToTop = scrollSelectionToTop;
}

// An installed product is installed again only into its own folder: page 3 opens there.
void OpenOnRegisteredFolder() {
  char folder[kPathBufferSize];
  if (!RegisteredInstallFolder(folder)) return;
  const int last = LastComponentIndex(folder);
  if (last == 0) return;  // a drive's root has no leaf name to keep
  PathComponent(folder, last, installPicker.leafName);
  PathPrefix(folder, last - 1, installPicker.path);
}

void BuildPage(HINSTANCE instance, int page) {
  HWND panel =
      CreatePanel(instance, mainWindow, 0, 55, clientWidth, 167, GetSysColorBrush(COLOR_BTNFACE));
  wizardState.pagePanels[page - 1] = panel;
  if (page == 3) PreparePicker(&installPicker, DefaultInstallFolder, 0);
  if (page == 3) OpenOnRegisteredFolder();
  if (page == 4) PreparePicker(&shortcutPicker, DefaultShortcutFolder, 1);
  for (int i = 0; i < kPageRowCount; ++i) {
    if (kPageRows[i].page != page) continue;
    pageControls[i] = CreateRow(instance, panel, kPageRows[i]);
    if (kPageRows[i].handle) *kPageRows[i].handle = pageControls[i];
  }
}

void BuildHeader(HINSTANCE instance) {
  headerBand =
      CreatePanel(instance, mainWindow, 0, 0, clientWidth, 47, GetSysColorBrush(COLOR_WINDOW));
  headerTitle = CreateLabel(instance, headerBand, 15, 7, 300, 15, LookupText("0_01"));
  headerCaption = CreateBoldLabel(instance, headerBand, 20, 25, 300, 15, LookupText("1_00"));
}

void BuildButtons(HINSTANCE instance) {
  const int W = clientWidth, H = clientHeight;
  backButton = CreatePushButton(instance, mainWindow, W - 250, H - 30, 70, 24,
                                LookupText("prev_btn"), kBackButtonId, 0);
  nextButton = CreatePushButton(instance, mainWindow, W - 180, H - 30, 70, 24,
                                LookupText("next_btn"), kNextButtonId, 1);
  cancelButton = CreatePushButton(instance, mainWindow, W - 80, H - 30, 60, 24,
                                  LookupText("cancel_btn"), kCancelButtonId, 0);
}

void SetGeneralTexts() {
  SetWindowTextA(headerTitle, LookupText("0_01"));
  SetWindowTextA(headerCaption, LookupText("1_00"));
}

void SetButtonTexts() {
  SetWindowTextA(backButton, LookupText("prev_btn"));
  SetWindowTextA(nextButton, LookupText("next_btn"));
  SetWindowTextA(cancelButton, LookupText("cancel_btn"));
}

void ReloadRowText(int i) {
  switch (kPageRows[i].reload) {
    case kReloadKey:
      SetWindowTextA(pageControls[i], LookupText(kPageRows[i].key));
      break;
    case kReloadEmpty:
      SetWindowTextA(pageControls[i], "");
      break;
    case kReloadLicense:
      LoadLicenseText();
      SetWindowTextA(pageControls[i], licenseText);
      break;
    case kReloadNothing:
      break;
  }
}

// The root of the first fixed drive, where a picker starts when its folder cannot be known.
void FirstFixedDriveRoot(char* path) {
  lstrcpyA(path, "c:\\");
  const DWORD present = GetLogicalDrives();
  for (int i = 0; i < 25; ++i) {
    path[0] = char('a' + i);
    if ((present & (1u << i)) && GetDriveTypeA(path) == DRIVE_FIXED) return;
  }
  path[0] = 'c';
}

}  // namespace

bool BuildWizardPages(HINSTANCE instance) {
  if (!CreateMainWindow(kMainWindowTitle, instance, MainWindowProc)) return false;
  // The progress bar's class comes with the common controls, bound at run time: they are
  // loaded and initialised before the first control, not after the last.
  LoadCommonControls();
  BuildHeader(instance);
  CreateSeparator(instance, mainWindow, 5, 52, clientWidth - 10);
  BuildPage(instance, 1);
  FillLanguageList();
  CreateSeparator(instance, mainWindow, 5, clientHeight - 50, clientWidth - 10);
  for (int page = 2; page <= kPageCount; ++page)
    BuildPage(instance, page);
  BuildButtons(instance);
  return true;
}

void ReloadLanguage(const char* name) {
  LoadLanguageSection(setupLanguageText, int(EntryDataSize(setupLanguageHeader)), name);
  SetWindowTextA(mainWindow, LookupText("mw_title"));
  SetGeneralTexts();
  for (int i = 0; i < kPageRowCount; ++i)
    ReloadRowText(i);
  SetButtonTexts();
}

void DefaultInstallFolder(char* path) {
  char windows[kPathBufferSize];
  const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
  if (length == 0 || length >= sizeof windows) {
    FirstFixedDriveRoot(path);
    return;
  }
  PathPrefix(windows, 0, path);
  BoundedCopy(path + lstrlenA(path), "Program Files", kPathBufferSize - lstrlenA(path));
}

void DefaultShortcutFolder(char* path) {
  if (!GetSpecialFolder(CSIDL_PROGRAMS, path)) FirstFixedDriveRoot(path);
}
