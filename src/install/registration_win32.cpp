// The system registration, for Windows.
#include "install/registration_win32.h"

#include "folders/folder_picker_win32.h"
#include "folders/path_text.h"
#include "install/install_text.h"
#include "lang/fill_text.h"
#include "lang/language.h"

HKEY settingsKey;

namespace {

// REG_SZ data counts its terminating NUL.
LONG SetString(HKEY key, const char* valueName, const char* text) {
  return RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        DWORD(lstrlenA(text) + 1));
}

HKEY CreateKey(HKEY root, const char* keyPath) {
  HKEY key = nullptr;
  DWORD disposition;
  if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, &disposition) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

// The uninstaller in the install folder, as the command Windows runs; false when the path
// would not fit, so that no cut path is ever registered.
bool UninstallCommand(char* command, size_t size) {
  char uninstaller[kPathBufferSize];
  if (!ComposePath(uninstaller, "%s\\%s", installPicker.path, kUninstallerName)) return false;
  return FormatUninstallCommand(command, size, uninstaller);
}

}  // namespace

void WriteMachineString(const char* keyPath, const char* valueName, const char* text) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, keyPath);
  if (!key) return;
  SetString(key, valueName, text);
  RegCloseKey(key);
}

void OpenSettingsKey(const char* keyPath) {
  if (settingsKey) RegCloseKey(settingsKey);
  settingsKey = CreateKey(HKEY_CURRENT_USER, keyPath);
}

void SetSettingsString(const char* valueName, const char* text) {
  if (settingsKey) SetString(settingsKey, valueName, text);
}

void CloseSettingsKey() {
  if (settingsKey) RegCloseKey(settingsKey);
  settingsKey = nullptr;
}

void RegisterProduct(FILE* log) {
  char command[kPathBufferSize + 2];
  WriteMachineString(kUninstallKeyPath, "DisplayName", "Quintaxel");
  if (UninstallCommand(command, sizeof command))
    WriteMachineString(kUninstallKeyPath, "UninstallString", command);
  WriteUninstallKeyLines(log);
  OpenSettingsKey(kSettingsKeyPath);
  SetSettingsString("language", LookupText("language_string"));
  CloseSettingsKey();
  WriteSettingsKeyLines(log);
}
