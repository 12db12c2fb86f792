// The shortcuts, for Windows: shell links through the shell-link object, Internet shortcuts
// as text.
#include "install/shortcuts_win32.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>

#include "app/wizard_win32.h"
#include "folders/folder_picker_win32.h"
#include "folders/folders_win32.h"
#include "folders/path_text.h"
#include "install/install_text.h"
#include "install/web_address.h"
#include "lang/fill_text.h"
#include "lang/language.h"

namespace {

// The shell-link identifiers, defined here: libuuid holds every GUID of the system in one
// object, which would more than double the size of setup.exe.
const CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkInterface = {0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistFileInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

void WriteInternetShortcut(const char* target, const char* file) {
  FILE* out = std::fopen(file, "w");
  if (!out) return;
  std::fputs("[InternetShortcut]\nURL=", out);  // no line end after the address
  std::fputs(target, out);
  std::fclose(out);
}

void WriteShellLink(const char* target, const char* file) {
  CoInitialize(nullptr);  // once per call on the worker thread, as the shell needs
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkInterface,
                              reinterpret_cast<void**>(&link))))
    return;
  link->SetPath(target);
  link->SetDescription("asdfgh");
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(kPersistFileInterface, reinterpret_cast<void**>(&persist)))) {
    WCHAR wide[kPathBufferSize];
    if (MultiByteToWideChar(CP_ACP, 0, file, -1, wide, kPathBufferSize)) persist->Save(wide, TRUE);
    persist->Release();
  }
  link->Release();
}

void ShowStatus() {
  SetWindowTextA(copyStatusLabel, LookupText("6_04"));
}

void OpenFolderWindow(const char* folder) {
  char quoted[kPathBufferSize];
  if (ComposePath(quoted, "\"%s\"", folder))
    ShellExecuteA(mainWindow, "open", quoted, "", nullptr, SW_SHOW);
}

void CreateTableShortcut(FILE* log, const char* folder, int i) {
  char nameKey[16], targetKey[16];
  wsprintfA(nameKey, "sc%d", i);
  wsprintfA(targetKey, "sc%dsrc", i);
  const char* text = LookupText(targetKey);
  const bool web = IsWebAddress(text);
  char target[kPathBufferSize], file[kPathBufferSize];
  if (web ? !ComposePath(target, "%s", text)
          : !ComposePath(target, "%s\\%s", installPicker.path, text))
    return;
  if (!ComposePath(file, "%s\\%s%s", folder, LookupText(nameKey), web ? ".url" : ".lnk")) return;
  if (WriteFileLine(log, file)) WriteShortcut(target, file);
}

}  // namespace

void WriteShortcut(const char* target, const char* file) {
  if (IsWebAddress(target))
    WriteInternetShortcut(target, file);
  else
    WriteShellLink(target, file);
}

bool GetDesktopFolder(char* folder) {
  return GetSpecialFolder(CSIDL_DESKTOP, folder);
}

void CreateFolderShortcuts(FILE* log) {
  ShowStatus();
  const char* folder = shortcutPicker.path;
  // As with the payload, nothing is made that the log does not name.
  if (!WriteFolderLine(log, folder)) return;
  CreateFolderChain(folder);
  OpenFolderWindow(folder);
  const int count = std::atoi(LookupText("sc_count"));
  for (int i = 1; i <= count; ++i)
    CreateTableShortcut(log, folder, i);
}

void CreateDesktopShortcut(FILE* log) {
  ShowStatus();
  char desktop[kPathBufferSize], file[kPathBufferSize], target[kPathBufferSize];
  if (!GetDesktopFolder(desktop)) return;  // no folder to write into: no shortcut, no line
  if (!ComposePath(file, "%s\\%s%s", desktop, LookupText("sc1"), ".lnk")) return;
  if (!ComposePath(target, "%s\\%s", installPicker.path, LookupText("sc1src"))) return;
  if (WriteFileLine(log, file)) WriteShortcut(target, file);
}
