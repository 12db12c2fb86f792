// The system registration, for Windows.
#include "install/registration_win32.h"

#include "folders/folder_picker_win32.h"
#include "folders/path_form.h"
#include "folders/path_text.h"
#include "install/install_paths.h"
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
  if (!JoinInstallPath(uninstaller, installPicker.path, kUninstallerName)) return false;
  return FormatUninstallCommand(command, size, uninstaller);
}

// The uninstall entry's UninstallString into `registered` (kPathBufferSize + 2 bytes):
// ERROR_SUCCESS, ERROR_MORE_DATA for a value too long for any command of ours, or why there is
// none.
LONG ReadUninstallCommand(char* registered) {
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, KEY_QUERY_VALUE, &key);
  if (result) return result;
  DWORD size = kPathBufferSize + 1;
  result = RegQueryValueExA(key, "UninstallString", nullptr, nullptr,
                            reinterpret_cast<BYTE*>(registered), &size);
  RegCloseKey(key);
  return result;
}

// True when the uninstall entry holds an UninstallString other than `command`: another
// installation, in another folder, is registered.
bool NamesAnotherUninstaller(const char* command) {
  char registered[kPathBufferSize + 2] = "";
  const LONG result = ReadUninstallCommand(registered);
  return result == ERROR_MORE_DATA || (result == ERROR_SUCCESS && lstrcmpiA(registered, command));
}

}  // namespace

bool WriteMachineString(const char* keyPath, const char* valueName, const char* text) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, keyPath);
  if (!key) return false;
  const bool written = SetString(key, valueName, text) == ERROR_SUCCESS;
  RegCloseKey(key);
  return written;
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

bool RegisterProduct(InstallLog* log, bool complete) {
  char command[kPathBufferSize + 2];
  if (!UninstallCommand(command, sizeof command)) return false;
  bool registered = true;
  if (complete || !NamesAnotherUninstaller(command)) {
    if (!WriteUninstallKeyLines(log)) return false;
    registered = WriteMachineString(kUninstallKeyPath, "DisplayName", "Quintaxel") &&
                 WriteMachineString(kUninstallKeyPath, "UninstallString", command);
  }
  if (!WriteSettingsKeyLines(log)) return false;
  OpenSettingsKey(kSettingsKeyPath);
  SetSettingsString("language", LookupText("language_string"));
  CloseSettingsKey();
  return registered;
}

bool RegisteredInstallFolder(char* folder) {
  char registered[kPathBufferSize + 2] = "";
  if (ReadUninstallCommand(registered)) return false;
  // The command is the uninstaller's path, in quotes when it holds a space.
  char* path = registered;
  if (*path == '"') {
    const int length = lstrlenA(++path);
    if (length && path[length - 1] == '"') path[length - 1] = '\0';
  }
  const int last = LastComponentIndex(path);
  char name[kPathBufferSize];
  if (last < 1 || !IsSamePath(PathComponent(path, last, name), kUninstallerName) ||
      GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
    return false;
  PathPrefix(path, last - 1, folder);
  return true;
}
