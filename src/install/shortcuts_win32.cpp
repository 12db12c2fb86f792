// The shortcuts, for Windows: shell links saved by the shell-link object, Internet shortcuts as
// text, each written through a handle of its own file.
#include "install/shortcuts_win32.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>

#include "app/wizard_win32.h"
#include "folders/folder_picker_win32.h"
#include "folders/folders_win32.h"
#include "folders/path_text.h"
#include "folders/place_win32.h"
#include "folders/trust_win32.h"
#include "install/install_paths.h"
#include "install/protection_win32.h"
#include "install/web_address.h"
#include "lang/fill_text.h"
#include "lang/language.h"
#include "ui/thunked_calls_win32.h"

namespace {

// The shell-link identifiers, defined here: libuuid holds every GUID of the system in one
// object, which would more than double the size of setup.exe.
const CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkInterface = {0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistStreamInterface = {0x00000109, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Makes or replaces `file` with `size` bytes. The file is opened as itself: were it a link, the
// write would land wherever the link points, so a link is refused.
bool WriteShortcutFile(const char* file, const void* bytes, DWORD size) {
  HANDLE out = OpenPlainFile(file, GENERIC_WRITE, 0, nullptr, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole =
      SetEndOfFile(out) && WriteFile(out, bytes, size, &written, nullptr) && written == size;
  CloseHandle(out);
  return whole;
}

bool WriteInternetShortcut(const char* target, const char* file) {
  char text[kPathBufferSize + 32];
  const char* const texts[] = {target};
  // No line end after the address.
  const size_t length = FillTextSlots(text, sizeof text, "[InternetShortcut]\r\nURL=%s", texts, 1);
  return length < sizeof text && WriteShortcutFile(file, text, DWORD(length));
}

// The link is saved into memory, and from there into its file by WriteShortcutFile: the shell's
// own save would open the file by its name and follow a link there.
bool SaveLink(IShellLinkA* link, const char* file) {
  IPersistStream* persist = nullptr;
  if (FAILED(link->QueryInterface(kPersistStreamInterface, reinterpret_cast<void**>(&persist))))
    return false;
  IStream* stream = nullptr;
  HGLOBAL memory = nullptr;
  ULARGE_INTEGER size = {};
  bool saved = SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
               SUCCEEDED(persist->Save(stream, TRUE)) &&
               SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &size)) &&
               SUCCEEDED(GetHGlobalFromStream(stream, &memory));
  if (saved) {
    saved = WriteShortcutFile(file, GlobalLock(memory), size.LowPart);
    GlobalUnlock(memory);
  }
  if (stream) stream->Release();
  persist->Release();
  return saved;
}

bool WriteShellLink(const char* target, const char* file) {
  CoInitialize(nullptr);  // once per call on the worker thread, as the shell needs
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkInterface,
                              reinterpret_cast<void**>(&link))))
    return false;
  link->SetPath(target);
  link->SetDescription("asdfgh");
  const bool saved = SaveLink(link, file);
  link->Release();
  return saved;
}

void ShowStatus() {
  SetWindowTextA(copyStatusLabel, LookupText("6_04"));
}

void OpenFolderWindow(const char* folder) {
  char quoted[kPathBufferSize];
  if (ComposePath(quoted, "\"%s\"", folder))
    ShellExecuteA(mainWindow, "open", quoted, "", nullptr, SW_SHOW);
}

// Shortcut i of the table in `folder`: its file and its target. False when either would not be
// a path that Windows takes as it stands.
bool ComposeTableShortcut(const char* folder, int i, char* file, char* target) {
  char nameKey[16], targetKey[16], name[kPathBufferSize];
  wsprintfA(nameKey, "sc%d", i);
  wsprintfA(targetKey, "sc%dsrc", i);
  const char* text = LookupText(targetKey);
  const bool web = IsWebAddress(text);
  return ComposePath(name, "%s%s", LookupText(nameKey), web ? ".url" : ".lnk") &&
         ComposeInstallPath(file, folder, name) &&
         (web ? ComposePath(target, "%s", text)
              : JoinInstallPath(target, installPicker.path, text));
}

bool ComposeDesktopShortcut(char* file, char* target) {
  char desktop[kPathBufferSize], name[kPathBufferSize];
  return GetDesktopFolder(desktop) && ComposePath(name, "%s.lnk", LookupText("sc1")) &&
         ComposeInstallPath(file, desktop, name) &&
         JoinInstallPath(target, installPicker.path, LookupText("sc1src"));
}

int ShortcutCount() {
  return std::atoi(LookupText("sc_count"));
}

// Holds `folder` with its chain from the drive root: made when all of it is there and trusted.
ShortcutResult HoldPlaceChain(const char* folder, HeldFolders* held) {
  int firstMissing = 0;
  if (!HoldTrustedChain(folder, kFolderOnTheWay, held, &firstMissing)) return kShortcutPlaceRefused;
  return firstMissing > LastComponentIndex(folder) ? kShortcutsMade : kShortcutsNotWritten;
}

// Holds the shortcut folder with its chain, making what is missing of it first (the folder's
// line before it): the new folders are this user's, as the shell would make them, and are
// held by walking the chain again.
ShortcutResult HoldShortcutFolder(InstallLog* log, const char* folder, HeldFolders* held) {
  const ShortcutResult found = HoldPlaceChain(folder, held);
  if (found == kShortcutPlaceRefused) return found;
  if (!WriteFolderLine(log, folder)) return kShortcutsNotWritten;
  if (found == kShortcutsMade) return found;
  CreateFolderChain(folder);
  return HoldPlaceChain(folder, held);
}

}  // namespace

bool WriteShortcut(const char* target, const char* file) {
  return IsWebAddress(target) ? WriteInternetShortcut(target, file) : WriteShellLink(target, file);
}

bool GetDesktopFolder(char* folder) {
  return GetSpecialFolder(CSIDL_DESKTOP, folder);
}

bool AreShortcutPathsPlain(bool folderShortcuts, bool desktopShortcut) {
  char file[kPathBufferSize], target[kPathBufferSize];
  if (desktopShortcut && !ComposeDesktopShortcut(file, target)) return false;
  if (!folderShortcuts) return true;
  if (!ComposeInstallPath(file, shortcutPicker.path, "x")) return false;
  for (int i = 1; i <= ShortcutCount(); ++i)
    if (!ComposeTableShortcut(shortcutPicker.path, i, file, target)) return false;
  return true;
}

ShortcutResult CreateFolderShortcuts(InstallLog* log) {
  ShowStatus();
  const char* folder = shortcutPicker.path;
  HeldFolders held = {};
  ShortcutResult result = HoldShortcutFolder(log, folder, &held);
  if (result == kShortcutsMade) {
    OpenFolderWindow(folder);
    for (int i = 1; i <= ShortcutCount(); ++i) {
      char file[kPathBufferSize], target[kPathBufferSize];
      if (!ComposeTableShortcut(folder, i, file, target) || !WriteFileLine(log, file) ||
          !WriteShortcut(target, file))
        result = kShortcutsNotWritten;
    }
  }
  ReleaseFolders(&held);
  return result;
}

ShortcutResult CreateDesktopShortcut(InstallLog* log) {
  ShowStatus();
  char desktop[kPathBufferSize], file[kPathBufferSize], target[kPathBufferSize];
  HeldFolders held = {};
  ShortcutResult result = kShortcutsNotWritten;
  if (GetDesktopFolder(desktop) && ComposeDesktopShortcut(file, target)) {
    result = HoldPlaceChain(desktop, &held);  // the desktop as it is: never made
    if (result == kShortcutsMade && (!WriteFileLine(log, file) || !WriteShortcut(target, file)))
      result = kShortcutsNotWritten;
  }
  ReleaseFolders(&held);
  return result;
}
