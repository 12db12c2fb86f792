// uninstall.exe, the product's uninstaller: it undoes what the installations recorded in the
// install.log beside it (the plan: uninstall/uninstall_plan.h), in the language that the
// settings key names, and then removes itself and the log.
//
//   uninstall.exe          asks first and ends with a message (what Windows' UninstallString runs)
//   uninstall.exe /quiet   answers yes itself and shows no message, for tests and scripts
//
// Exit codes, of the process that was started:
//   0  everything the log lists was removed or was already gone
//   1  the user answered No; nothing was changed
//   2  the log could not be read, or names nothing it could act on (empty, or every line passed
//      over); nothing was changed, and uninstall.exe stays
//   3  some items could not be removed: a file in use, a folder that still holds other files (the
//      user's own), a registry entry it had no right to delete; the message names them. When a
//      file or registry entry of the product is among them, the uninstall entry, uninstall.exe
//      and the log stay too, so that it can be run again to finish the job
//   4  everything it acted on was removed, but some lines of the log were passed over: they name
//      places outside the product's, are too long, or the last line was cut
//
// Every file or folder it removes is removed through a handle of the item itself, opened without
// following a link, after the place it lies in and every folder down to it have been checked
// and held (folders/place_win32.h): what was checked is what goes. A read-only file with more
// than one name keeps its flag and is left, since clearing it would clear it for the other name
// too. A shortcut goes only when it points at this installation's file or address of its name,
// and a shortcut folder only when this run removed one of the product's shortcuts from it, it is
// then empty, and it is none of the user's special folders (by identity, however it is spelled).
//
// Each uninstaller answers for its own installation only: when the uninstall entry's
// UninstallString names another uninstall.exe (a later installation into another folder), the
// entry, the settings and the shortcut folder stay, its own files go, and the final message says
// that another installation is registered.
//
// Removing itself: a running program's file cannot be deleted on Windows. So once everything
// else is done, it copies itself into a new folder of its own in the temporary folder, one with
// a name nobody can guess that only SYSTEM, the Administrators and this user may open, and
// starts the copy with
//   "COPY" /finish HANDLE FOLDER "ORIGINAL"   (uninstall/uninstall_text.h)
// where HANDLE is an inherited handle of this process. The copy waits on it until this process
// has ended, deletes the original uninstall.exe and the log (and the install folder, when an
// installation made it and it is now empty, but never a drive's root), and asks Windows to
// delete the copy and its folder at the next restart (MoveFileExA with
// MOVEFILE_DELAY_UNTIL_REBOOT): nothing can delete them sooner. The
// copy is started before the final message, so that the message and the exit code can say
// whether it could be; the copy shows nothing and its own exit code means nothing. So when this
// process has exited, uninstall.exe, install.log and the install folder disappear a moment
// later: a caller that checks them waits for that.
#include <windows.h>
// After <windows.h>, which it needs.
#include <sddl.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "app/dll_search_win32.h"
#include "folders/code_page.h"
#include "folders/code_page_win32.h"
#include "folders/folders_win32.h"
#include "folders/path_text.h"
#include "folders/place_win32.h"
#include "install/install_text.h"
#include "lang/fill_text.h"
#include "lang/language.h"
#include "product_language_win32.h"
#include "startup.h"
#include "uninstall/uninstall_plan.h"
#include "uninstall/uninstall_text.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

enum ExitCode { kRemovedAll = 0, kDeclined = 1, kNoLog = 2, kSomeLeft = 3, kLinesPassedOver = 4 };

constexpr char kCopyName[] = "qxuninstall";
// How long the copy tries to delete the original: the system may hold the file of a process
// that has just ended for a moment longer.
constexpr int kDeleteAttempts = 50;
constexpr DWORD kDeleteRetryMs = 100;

// The texts of quintaxel.lng, with the English ones for a missing file or key: a confirmation
// without words would be worse than one in the wrong language.
struct Text {
  const char* key;
  const char* fallback;
};
constexpr Text kTitleText = {"un_title", "Uninstall Quintaxel"};
constexpr Text kConfirmText = {
    "un_confirm", "Do you want to remove Quintaxel and all of its components from this computer?"};
constexpr Text kDoneText = {"un_done", "Quintaxel has been removed from this computer."};
constexpr Text kLeftText = {"un_left",
                            "These items of Quintaxel could not be removed. A file may be in use, "
                            "or a folder may still hold files of your own:\n\n%s"};
constexpr Text kPassedOverText = {"un_passed_over",
                                  "Some lines of the install log point outside Quintaxel's "
                                  "folders and registry keys; they were left alone."};
constexpr Text kOtherRegisteredText = {
    "un_other_registered",
    "Another installation of Quintaxel is registered on this computer, so its entry in the list "
    "of installed programs, its settings and its shortcut folder were left in place."};
constexpr Text kNoLogText = {
    "un_no_log",
    "The install log %s could not be read or names nothing to remove, so nothing was removed."};

// The special folders that are never removed, though a shortcut folder line may name one: the
// shortcut folder is logged whether or not the installation made it.
const int kKeptFolderIds[] = {CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS,
                              CSIDL_STARTMENU,        CSIDL_STARTUP,
                              CSIDL_PERSONAL,         CSIDL_COMMON_PROGRAMS,
                              CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DESKTOPDIRECTORY};
constexpr int kKeptFolderCount = sizeof kKeptFolderIds / sizeof kKeptFolderIds[0];
// The shortcut folders that this run removed a shortcut of the product's from, and so may remove.
constexpr int kMostEmptiedFolders = 8;

// A file or folder as itself, whatever path leads to it.
struct Identity {
  DWORD volume, high, low;
};

struct Places {
  char program[kPathBufferSize];       // this uninstall.exe, in its long form
  char folder[kPathBufferSize];        // the install folder
  char normalFolder[kPathBufferSize];  // the same as Windows opens it: "C:" for a drive's root
  char log[kPathBufferSize];
  char desktop[kPathBufferSize];
  char temp[kPathBufferSize];  // with its trailing backslash
  char kept[kKeptFolderCount][kPathBufferSize];
  const char* keptList[kKeptFolderCount];
  Identity keptIdentity[kKeptFolderCount];  // all zero for one that could not be opened
  bool otherRegistered;                     // the uninstall entry names another uninstall.exe
  char emptied[kMostEmptiedFolders][kPathBufferSize];
  int emptiedCount;
};

const char* Say(const Text& text) {
  const char* value = LookupText(text.key);
  return *value ? value : text.fallback;
}

bool IsGone(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The long form, so that a start through a short 8.3 name (C:\PROGRA~1\...) still matches the
// paths of the log.
bool GetProgramPath(char* path) {
  char module[kPathBufferSize];
  const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
  if (length == 0 || length >= sizeof module) return false;
  const DWORD longLength = GetLongPathNameA(module, path, kPathBufferSize);
  if (longLength == 0 || longLength >= DWORD(kPathBufferSize)) lstrcpyA(path, module);
  // As the file system names it: started as ...\Quintaxel.\uninstall.exe (a leaf name typed
  // with a trailing dot), it is in ...\Quintaxel.
  char normal[kPathBufferSize];
  if (NormalizePath(path, normal)) lstrcpyA(path, normal);
  return true;
}

Identity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool IsSame(const Identity& a, const Identity& b) {
  return a.volume == b.volume && a.high == b.high && a.low == b.low;
}

// The identity of what `path` leads to, links followed; all zero when it cannot be opened.
Identity FileIdentity(const char* path) {
  Identity identity = {};
  const HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return identity;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(file, &info)) identity = IdentityOf(info);
  CloseHandle(file);
  return identity;
}

// False when the program's own path cannot be had: then there is no log to go by either.
bool FindPlaces(Places* places) {
  GetSpecialFolder(CSIDL_DESKTOP, places->desktop);
  for (int i = 0; i < kKeptFolderCount; ++i) {
    GetSpecialFolder(kKeptFolderIds[i], places->kept[i]);
    places->keptList[i] = places->kept[i];
    if (places->kept[i][0]) places->keptIdentity[i] = FileIdentity(places->kept[i]);
  }
  const DWORD tempLength = GetTempPathA(sizeof places->temp, places->temp);
  if (tempLength == 0 || tempLength >= sizeof places->temp) places->temp[0] = '\0';
  if (!GetProgramPath(places->program)) return false;
  PathPrefix(places->program, LastComponentIndex(places->program) - 1, places->folder);
  NormalizePath(places->folder, places->normalFolder);
  return PathBesideModule(places->log, sizeof places->log, places->program, kInstallLogName);
}

bool IsDriveRoot(const char* normalFolder) {
  return normalFolder[0] != '\0' && normalFolder[1] == ':' && normalFolder[2] == '\0';
}

UninstallPlaces PlanPlaces(const Places& places) {
  return {places.folder,   places.program,   places.log,    places.desktop,
          places.keptList, kKeptFolderCount, &kProductNames};
}

typedef BOOL(WINAPI* SetFileInformationFunction)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// Bound at run time, for Windows before Vista lacks it: there nothing is removed, and every item
// is named as left.
bool SetFileInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size) {
  const auto set = reinterpret_cast<SetFileInformationFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
  return set && set(file, kind, info, size);
}

// The read-only flag of the open file cleared, for deleting it. Zero times are left as they
// are, and so are all-zero attributes, so "normal" stands for none.
bool ClearReadOnly(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformation(file, FileBasicInfo, &basic, sizeof basic);
}

bool MarkForDeletion(HANDLE file) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformation(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// kOthers: a plain item, but not the product's (a shortcut that points elsewhere): it stays,
// and is no failure.
enum Removal { kRemoved, kWasGone, kLeft, kOthers };

// What an item must be, besides a plain file or folder, for it to be removed: `isTheProducts`
// is asked with the open item and the step; null when any item of that kind will do.
struct ItemRule {
  bool folder;
  bool (*isTheProducts)(HANDLE item, const BY_HANDLE_FILE_INFORMATION& info,
                        const UninstallStep& step, const Places& places);
  const UninstallStep* step;
  const Places* places;
};

// The open item is what the rule asks for, and no link: by its handle, and by its path as well,
// which alone shows a link under Wine.
bool IsPlainItem(const BY_HANDLE_FILE_INFORMATION& info, const char* path, bool folder) {
  const DWORD both[] = {info.dwFileAttributes, GetFileAttributesA(path)};
  for (const DWORD attributes : both)
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return false;
  return true;
}

// Removes `path` through a handle of the item itself, opened without following a link and
// without sharing write or delete access, so that nobody can change, rename or replace it
// between the checks and its removal. A folder goes only when empty.
Removal RemoveItem(const char* path, const ItemRule& rule) {
  const HANDLE item = CreateFileA(
      path, GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (item == INVALID_HANDLE_VALUE) return IsGone(GetLastError()) ? kWasGone : kLeft;
  BY_HANDLE_FILE_INFORMATION info;
  bool removed = GetFileInformationByHandle(item, &info) && IsPlainItem(info, path, rule.folder);
  if (removed && rule.isTheProducts && !rule.isTheProducts(item, info, *rule.step, *rule.places)) {
    CloseHandle(item);
    return kOthers;
  }
  // A read-only file of more than one name keeps its flag: the flag is the file's, and so the
  // other name's too.
  if (removed && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
    removed = info.nNumberOfLinks == 1 && ClearReadOnly(item, info.dwFileAttributes);
  removed = removed && MarkForDeletion(item);
  CloseHandle(item);
  return removed ? kRemoved : kLeft;
}

HKEY RootKey(RegistryRoot root) {
  return root == kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Looked at before it is deleted: RegDeleteKeyA deletes only a key without subkeys on Windows
// NT, but a whole tree on Windows 9x, and nothing is ever removed with what lies below it.
bool RemoveEmptyKey(RegistryRoot root, const char* path) {
  HKEY key;
  const LONG opened = RegOpenKeyExA(RootKey(root), path, 0, KEY_QUERY_VALUE, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  DWORD subkeys = 1, values = 1;
  const LONG queried = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                        &values, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (queried != ERROR_SUCCESS || subkeys != 0 || values != 0) return false;
  return RegDeleteKeyA(RootKey(root), path) == ERROR_SUCCESS;
}

// The last component as a value of the key above it; when there is no such value, the whole
// name as a key.
bool DeleteRegistryName(RegistryRoot root, const char* path, int lastAt) {
  char parent[kPathBufferSize];
  BoundedCopy(parent, path, size_t(lastAt));  // up to the separator before the last component
  const char* name = path + lastAt;
  HKEY key;
  const LONG opened =
      RegOpenKeyExA(RootKey(root), parent, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
  if (opened == ERROR_SUCCESS) {
    const bool isValue =
        RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    const bool deleted = isValue && RegDeleteValueA(key, name) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (isValue) return deleted;
  } else if (opened != ERROR_FILE_NOT_FOUND) {
    return false;  // the key is there, but not for this user to change
  }
  return RemoveEmptyKey(root, path);
}

// The shortcut file's bytes, read through its open handle; null when it is larger than any
// shortcut the setup program makes could be. Free with std::free.
char* ReadShortcutBytes(HANDLE item, const BY_HANDLE_FILE_INFORMATION& info, DWORD* length) {
  constexpr DWORD kMostBytes = 64 * 1024;
  if (info.nFileSizeHigh != 0 || info.nFileSizeLow > kMostBytes) return nullptr;
  char* bytes = static_cast<char*>(std::malloc(info.nFileSizeLow + 1));
  if (bytes && ReadFile(item, bytes, info.nFileSizeLow, length, nullptr)) return bytes;
  std::free(bytes);
  return nullptr;
}

// The shell-link identifiers, defined here: libuuid holds every GUID of the system in one
// object.
const CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkInterface = {0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistStreamInterface = {0x00000109, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// The target path of a shell link given as its bytes, loaded by the shell from memory: the
// file is read once, through the handle that deletes it.
bool ReadShellLinkTarget(const char* bytes, DWORD length, char* target) {
  target[0] = '\0';
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, length);
  void* at = memory ? GlobalLock(memory) : nullptr;
  if (!at) {
    if (memory) GlobalFree(memory);
    return false;
  }
  std::memcpy(at, bytes, length);
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return false;
  }
  IShellLinkA* link = nullptr;
  IPersistStream* persist = nullptr;
  bool read = false;
  if (SUCCEEDED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER,
                                 kShellLinkInterface, reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(kPersistStreamInterface, reinterpret_cast<void**>(&persist))))
    read = SUCCEEDED(persist->Load(stream)) &&
           link->GetPath(target, kPathBufferSize, nullptr, 0) == S_OK;
  if (persist) persist->Release();
  if (link) link->Release();
  stream->Release();
  return read;
}

bool EndsWithUrl(const char* name) {
  const size_t length = std::strlen(name);
  return length >= 4 && IsSamePath(name + length - 4, ".url");
}

// A shortcut in a shortcut folder or on the desktop is the product's when it points at this
// installation's file of its name, or at its address.
bool IsProductShortcutItem(HANDLE item, const BY_HANDLE_FILE_INFORMATION& info,
                           const UninstallStep& step, const Places& places) {
  DWORD length = 0;
  char* bytes = ReadShortcutBytes(item, info, &length);
  if (!bytes) return false;
  const char* name = step.path + step.placeLength + 1;
  char target[2 * kPathBufferSize];
  const bool read = EndsWithUrl(name)
                        ? ReadInternetShortcutAddress(bytes, int(length), target, sizeof target)
                        : ReadShellLinkTarget(bytes, length, target);
  std::free(bytes);
  const ProductNames& names = kProductNames;
  const bool desktop = step.place == kOnDesktop;
  return read && IsProductShortcut(desktop ? names.desktopShortcuts : names.shortcuts,
                                   desktop ? names.desktopShortcutCount : names.shortcutCount, name,
                                   target, places.normalFolder);
}

// A shortcut folder goes only when this run removed one of the product's shortcuts from it, it
// is now empty (the removal fails otherwise), no other installation is registered, and it is none
// of the user's special folders, however the log spelled it.
bool IsEmptiedShortcutFolder(HANDLE, const BY_HANDLE_FILE_INFORMATION& info,
                             const UninstallStep& step, const Places& places) {
  if (places.otherRegistered) return false;
  const Identity identity = IdentityOf(info);
  for (const Identity& kept : places.keptIdentity)
    if ((kept.volume | kept.high | kept.low) && IsSame(identity, kept)) return false;
  for (int i = 0; i < places.emptiedCount; ++i)
    if (IsSamePath(places.emptied[i], step.path)) return true;
  return false;
}

void NoteEmptiedFolder(const UninstallStep& step, Places* places) {
  if (places->emptiedCount < kMostEmptiedFolders)
    PathPrefix(step.path, LastComponentIndex(step.path) - 1,
               places->emptied[places->emptiedCount++]);
}

// Holds the step's place and the folders down to its item's folder: from the install folder
// down, not the install folder itself, which may be an administrator's link; a shortcut folder or
// the desktop with it. A shortcut folder step, whose item is the place, holds nothing.
bool HoldStepPlace(const UninstallStep& step, HeldFolders* held) {
  char place[kPathBufferSize], folder[kPathBufferSize];
  BoundedCopy(place, step.path, size_t(step.placeLength) + 1);
  if (int(std::strlen(step.path)) == step.placeLength) return true;
  BoundedCopy(folder, step.path, size_t(FindLastCharacter(step.path, '\\') - step.path) + 1);
  return step.place == kInInstallFolder ? HoldPlainChainBelow(place, folder, held)
                                        : HoldPlainChain(place, folder, held);
}

// A file or folder step, carried out only through plain, held folders: through a link, or a
// folder that cannot be held, it is left. A folder on the way that is gone took the item with it.
Removal CarryOutInPlace(const UninstallStep& step, const Places& places) {
  HeldFolders held = {};
  Removal removal;
  if (!HoldStepPlace(step, &held)) {
    char folder[kPathBufferSize];
    PathPrefix(step.path, LastComponentIndex(step.path) - 1, folder);
    removal = GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES && IsGone(GetLastError())
                  ? kWasGone
                  : kLeft;
  } else {
    const bool shortcutFolder = step.kind == kRemoveFolder && step.place == kInShortcutFolder;
    const bool shortcut = step.kind == kDeleteFile && step.place != kInInstallFolder;
    const ItemRule rule = {step.kind == kRemoveFolder,
                           shortcutFolder ? IsEmptiedShortcutFolder
                           : shortcut     ? IsProductShortcutItem
                                          : nullptr,
                           &step, &places};
    removal = RemoveItem(step.path, rule);
  }
  ReleaseFolders(&held);
  return removal;
}

bool CarryOut(const UninstallStep& step, Places* places) {
  switch (step.kind) {
    case kDeleteFile:
    case kRemoveFolder: {
      const Removal removal = CarryOutInPlace(step, *places);
      if (removal == kRemoved && step.kind == kDeleteFile && step.place == kInShortcutFolder)
        NoteEmptiedFolder(step, places);
      return removal != kLeft;  // what is not the product's is not left by this run
    }
    case kDeleteRegistryName:
      return DeleteRegistryName(step.root, step.path, step.lastAt);
    case kRemoveRegistryKey:
      return RemoveEmptyKey(step.root, step.path);
  }
  return false;
}

// The item as the message names it: a folder with its backslash, a registry name with its root.
void StepText(const UninstallStep& step, char* text) {
  if (step.kind == kDeleteFile)
    BoundedCopy(text, step.path, kPathBufferSize);
  else if (step.kind == kRemoveFolder)
    ComposePath(text, "%s\\", step.path);
  else
    ComposePath(text, "%s\\%s", RegistryRootName(step.root), step.path);
}

// The uninstall entry is the only key the product has under HKEY_LOCAL_MACHINE.
bool IsUninstallEntryStep(const UninstallStep& step) {
  return (step.kind == kDeleteRegistryName || step.kind == kRemoveRegistryKey) &&
         step.root == kLocalMachine;
}

// Carries out the steps of the uninstall entry (`entry`) or all the others, in the plan's order.
// True when an item of the product was left: a file or a registry value. A folder or key that
// is not empty is not one: what keeps it may be the user's own. While another installation is
// registered, the registry is its: no registry step is carried out.
bool CarryOutSteps(const UninstallPlan& plan, bool entry, Places* places, ReportList* left) {
  bool itemLeft = false;
  for (int i = 0; i < plan.count; ++i) {
    const UninstallStep& step = plan.steps[i];
    if (IsUninstallEntryStep(step) != entry) continue;
    if (places->otherRegistered &&
        (step.kind == kDeleteRegistryName || step.kind == kRemoveRegistryKey))
      continue;
    if (CarryOut(step, places)) continue;
    if (step.kind == kDeleteFile || step.kind == kDeleteRegistryName) itemLeft = true;
    if (!step.reported) continue;
    char text[kPathBufferSize];
    StepText(step, text);
    AddReportItem(left, text);
  }
  return itemLeft;
}

// The uninstall entry goes last, and only when nothing else of the product is left: otherwise
// the entry, uninstall.exe and the log stay, so that the user can run the uninstaller again
// from the list of installed programs once the file is no longer in use. True when they stay.
bool CarryOutPlan(const UninstallPlan& plan, Places* places, ReportList* left) {
  return CarryOutSteps(plan, false, places, left) || CarryOutSteps(plan, true, places, left);
}

// The program that an UninstallString starts: the text in quotes, or up to the first space.
void CommandProgram(const char* command, char* program) {
  const bool quoted = *command == '"';
  const char* start = command + (quoted ? 1 : 0);
  const char* end = start;
  while (*end && *end != (quoted ? '"' : ' '))
    ++end;
  BoundedCopy(program, start,
              size_t(end - start) + 1 > size_t(kPathBufferSize) ? size_t(kPathBufferSize)
                                                                : size_t(end - start) + 1);
}

// True when the uninstall entry's UninstallString starts another program than this one: by its
// path as Windows opens it, or else by the file's identity (an 8.3 name, a link). No entry, or
// one without the value, is nobody else's.
bool IsAnotherRegistered(const Places& places) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return false;
  char command[2 * kPathBufferSize] = "";
  DWORD size = sizeof command - 1, type = 0;
  const LONG read = RegQueryValueExA(key, "UninstallString", nullptr, &type,
                                     reinterpret_cast<BYTE*>(command), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || type != REG_SZ) return false;
  command[size] = '\0';
  char program[kPathBufferSize], normal[kPathBufferSize], own[kPathBufferSize];
  CommandProgram(command, program);
  if (NormalizePath(program, normal) && NormalizePath(places.program, own) &&
      IsSamePath(normal, own))
    return false;
  const Identity named = FileIdentity(program), self = FileIdentity(places.program);
  return !(named.volume | named.high | named.low) || !IsSame(named, self);
}

// True when the install folder holds nothing but uninstall.exe and the log, which the copy
// removes: then the copy can remove the folder too.
bool HoldsOnlyOwnFiles(const Places& places) {
  char pattern[kPathBufferSize];
  if (!ComposePath(pattern, "%s\\*", places.folder)) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  const char* programName = FindLastCharacter(places.program, '\\') + 1;
  bool onlyOwn = true;
  do {
    const char* name = found.cFileName;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    onlyOwn = IsSamePath(name, programName) || IsSamePath(name, kInstallLogName);
  } while (onlyOwn && FindNextFileA(search, &found));
  FindClose(search);
  return onlyOwn;
}

bool WriteAll(HANDLE file, const char* bytes, int length) {
  DWORD written = 0;
  return WriteFile(file, bytes, DWORD(length), &written, nullptr) && written == DWORD(length);
}

bool HoldsExactly(HANDLE file, const char* bytes, int length) {
  char* read = static_cast<char*>(std::malloc(size_t(length) + 1));
  DWORD got = 0;
  const bool same = read && ReadFile(file, read, DWORD(length) + 1, &got, nullptr) &&
                    got == DWORD(length) && std::memcmp(read, bytes, size_t(length)) == 0;
  std::free(read);
  return same;
}

// Writes this program's bytes to `copy` as a new file and opens it again, for reading only and
// with no sharing but reading: from then on until the handle is closed, no other process can
// change, rename or replace it. The bytes are read back through that handle, so a replacement
// made before it was opened is found too. The handle, or INVALID_HANDLE_VALUE.
HANDLE WriteHeldCopy(const char* program, const char* copy) {
  int length = 0;
  char* bytes = ReadWholeFile(program, &length);
  if (!bytes) return INVALID_HANDLE_VALUE;
  HANDLE file =
      CreateFileA(copy, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool written = file != INVALID_HANDLE_VALUE && WriteAll(file, bytes, length);
  if (file != INVALID_HANDLE_VALUE) written = CloseHandle(file) && written;
  HANDLE held = written ? CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)
                        : INVALID_HANDLE_VALUE;
  if (held != INVALID_HANDLE_VALUE && !HoldsExactly(held, bytes, length)) {
    CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
  }
  std::free(bytes);
  if (held == INVALID_HANDLE_VALUE && written) DeleteFileA(copy);
  return held;
}

// "D:P" and full access for SYSTEM, the Administrators and this process's user, inherited by
// what the folder holds, and nothing inherited from above; false when the user's name in the
// system (its SID) cannot be had.
bool PrivateFolderSecurity(SECURITY_ATTRIBUTES* security) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  char buffer[256];  // a TOKEN_USER and the SID after it
  DWORD size = 0;
  char* sid = nullptr;
  const bool known = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
                     ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid);
  CloseHandle(token);
  char descriptor[256];
  const bool made =
      known &&
      ComposePath(descriptor, "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;%s)", sid) &&
      ConvertStringSecurityDescriptorToSecurityDescriptorA(
          descriptor, SDDL_REVISION_1, &security->lpSecurityDescriptor, nullptr);
  if (sid) LocalFree(sid);
  security->nLength = sizeof *security;
  security->bInheritHandle = FALSE;
  return made;
}

// Makes a new folder in the temporary folder, named "qx" and 16 random hexadecimal digits, that
// only SYSTEM, the Administrators and this user may open: a user who can write the temporary
// folder can neither guess it in advance nor plant or change anything in it. A folder of that
// name that is already there is refused, never used. False when none could be made.
bool MakePrivateFolder(const char* temp, char* folder) {
  typedef BOOLEAN(WINAPI * RandomFunction)(PVOID, ULONG);
  const auto random = reinterpret_cast<RandomFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("advapi32.dll"), "SystemFunction036")));
  unsigned char bytes[8];
  SECURITY_ATTRIBUTES security = {};
  if (!temp[0] || !random || !random(bytes, sizeof bytes) || !PrivateFolderSecurity(&security))
    return false;
  char name[2 * sizeof bytes + 1];
  for (size_t i = 0; i < sizeof bytes; ++i) {
    name[2 * i] = "0123456789abcdef"[bytes[i] >> 4];
    name[2 * i + 1] = "0123456789abcdef"[bytes[i] & 15];
  }
  name[2 * sizeof bytes] = '\0';
  const bool made =
      ComposePath(folder, "%sqx%s", temp, name) && CreateDirectoryA(folder, &security);
  LocalFree(security.lpSecurityDescriptor);
  return made;
}

// Copies this program into a private folder of its own and starts the copy, which waits for
// this process to end and then removes the program, the log and, with `removeFolder`, the
// install folder when empty. False, with nothing left behind, when that cannot be arranged.
bool StartRemovalCopy(const Places& places, bool removeFolder) {
  char number[24], folder[kPathBufferSize], copy[kPathBufferSize];
  if (!MakePrivateFolder(places.temp, folder)) return false;
  // Named after this process as well, so that a test can tell the copy of one run.
  const HANDLE held = ComposePath(copy, "%s\\%s%s.exe", folder, kCopyName,
                                  DecimalText(number, GetCurrentProcessId()))
                          ? WriteHeldCopy(places.program, copy)
                          : INVALID_HANDLE_VALUE;
  if (held == INVALID_HANDLE_VALUE) {
    RemoveDirectoryA(folder);
    return false;
  }
  HANDLE self = nullptr;
  char command[3 * kPathBufferSize];
  bool started = false;
  if (DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                      SYNCHRONIZE, TRUE, 0) &&
      FormatFinishCommand(command, sizeof command, copy, reinterpret_cast<uintptr_t>(self),
                          removeFolder, places.program)) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // The copy's current folder is the temporary one, so that it holds no folder of the
    // installation open.
    started = CreateProcessA(copy, command, nullptr, nullptr, TRUE, 0, nullptr, places.temp,
                             &startup, &process);
    if (started) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  if (self) CloseHandle(self);  // the copy holds its own inherited handle
  CloseHandle(held);            // the running copy's image now keeps it as it is
  if (!started) {
    DeleteFileA(copy);
    RemoveDirectoryA(folder);
  }
  return started;
}

// The copy's part (see the top of this file). It acts only for a handle that it inherited from
// an uninstaller, so run by hand it does nothing.
int FinishRemoval(const UninstallOptions& options) {
  HANDLE original = reinterpret_cast<HANDLE>(options.waitHandle);
  if (!IsPlainPath(options.original) || WaitForSingleObject(original, INFINITE) != WAIT_OBJECT_0)
    return kNoLog;
  CloseHandle(original);
  const ItemRule anyFile = {false, nullptr, nullptr, nullptr};
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (RemoveItem(options.original, anyFile) != kLeft) break;
    Sleep(kDeleteRetryMs);
  }
  char log[kPathBufferSize], folder[kPathBufferSize], self[kPathBufferSize];
  if (PathBesideModule(log, sizeof log, options.original, kInstallLogName))
    RemoveItem(log, anyFile);
  // Never a drive's root, which is no plain path.
  PathPrefix(options.original, LastComponentIndex(options.original) - 1, folder);
  if (options.removeFolder && IsPlainPath(folder)) RemoveDirectoryA(folder);
  // The copy, and then its private folder.
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length > 0 && length < sizeof self) {
    MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    *const_cast<char*>(FindLastCharacter(self, '\\')) = '\0';
    MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return kRemovedAll;
}

bool Confirmed() {
  return MessageBoxA(nullptr, Say(kConfirmText), Say(kTitleText),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
}

void ShowMessage(const char* text, UINT icon) {
  MessageBoxA(nullptr, text, Say(kTitleText), MB_OK | icon | MB_SETFOREGROUND);
}

void ShowNoLog(const char* log) {
  char message[2 * kPathBufferSize + 512];
  const char* const texts[] = {log};
  FillTextSlots(message, sizeof message, Say(kNoLogText), texts, 1);
  ShowMessage(message, MB_ICONERROR);
}

void ShowReport(const ReportList& left, bool passedOver, bool otherRegistered) {
  // Kept off the stack, like the uninstaller's other large records: a small stack frame needs no
  // probing of the stack's guard page.
  static char summary[kReportListSize + 1024], message[kReportListSize + 3072];
  const char* const list[] = {left.text};
  if (left.count)
    FillTextSlots(summary, sizeof summary, Say(kLeftText), list, 1);
  else
    BoundedCopy(summary, Say(kDoneText), sizeof summary);
  const char* const texts[] = {
      summary, passedOver ? "\n\n" : "", passedOver ? Say(kPassedOverText) : "",
      otherRegistered ? "\n\n" : "", otherRegistered ? Say(kOtherRegisteredText) : ""};
  FillTextSlots(message, sizeof message, "%s%s%s%s%s", texts, 5);
  ShowMessage(message, left.count ? MB_ICONWARNING : MB_ICONINFORMATION);
}

// The run's places and what is left: process-wide, for they are larger than a stack frame may be
// without probing, and the run is made once.
Places places;  // every path empty until found
ReportList left;

int Uninstall(bool quiet) {
  const bool found = FindPlaces(&places);
  // No folder of the installation is held open as the current one while it is removed.
  if (places.temp[0]) SetCurrentDirectoryA(places.temp);
  // Loaded before anything is removed: the value and the file are among what goes.
  LoadProductLanguage(places.program);
  if (!quiet && !Confirmed()) return kDeclined;

  int length = 0;
  char* log = found ? ReadWholeFile(places.log, &length) : nullptr;
  UninstallPlan plan = {};
  const bool planned = log && BuildUninstallPlan(log, length, PlanPlaces(places), &plan);
  std::free(log);
  if (!planned || plan.taken == 0) {
    FreeUninstallPlan(&plan);
    if (!quiet) ShowNoLog(places.log);
    return kNoLog;
  }

  CoInitialize(nullptr);  // for reading the shortcuts
  places.otherRegistered = IsAnotherRegistered(places);
  const bool keepSelf = CarryOutPlan(plan, &places, &left);
  // An installation into a drive's root listed the root; it is never removed.
  const bool listsFolder = plan.listsInstallFolder && !IsDriveRoot(places.normalFolder);
  const bool copyStarted = !keepSelf && StartRemovalCopy(places, listsFolder);
  if (!keepSelf && !copyStarted) {
    AddReportItem(&left, places.program);
    AddReportItem(&left, places.log);
  }
  if (listsFolder && (!copyStarted || !HoldsOnlyOwnFiles(places))) {
    char folder[kPathBufferSize];
    ComposePath(folder, "%s\\", places.folder);
    AddReportItem(&left, folder);
  }
  const bool passedOver = plan.passedOver > 0;
  FreeUninstallPlan(&plan);
  if (!quiet) ShowReport(left, passedOver, places.otherRegistered);
  return left.count ? kSomeLeft : passedOver ? kLinesPassedOver : kRemovedAll;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  UseSystemCodePage();
  UninstallOptions options;
  ReadUninstallOptions(SkipProgramName(GetCommandLineA()), &options);
  switch (options.mode) {
    case kFinish:
      return FinishRemoval(options);
    case kBadFinish:
      return kNoLog;
    case kQuiet:
      return Uninstall(true);
    case kAskFirst:
      break;
  }
  return Uninstall(false);
}
