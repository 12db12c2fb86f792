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
// Removing itself: a running program's file cannot be deleted on Windows. So once everything
// else is done, it copies itself to the temporary folder and starts the copy with
//   "COPY" /finish HANDLE FOLDER "ORIGINAL"   (uninstall/uninstall_text.h)
// where HANDLE is an inherited handle of this process. The copy waits on it until this process
// has ended, deletes the original uninstall.exe and the log (and the install folder, when an
// installation made it and it is now empty), and asks Windows to delete the copy itself at the
// next restart (MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT): nothing can delete it sooner. The
// copy is started before the final message, so that the message and the exit code can say
// whether it could be; the copy shows nothing and its own exit code means nothing. So when this
// process has exited, uninstall.exe, install.log and the install folder disappear a moment
// later: a caller that checks them waits for that.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "app/dll_search_win32.h"
#include "folders/code_page.h"
#include "folders/code_page_win32.h"
#include "folders/folders_win32.h"
#include "folders/path_text.h"
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

struct Places {
  char program[kPathBufferSize];  // this uninstall.exe, in its long form
  char folder[kPathBufferSize];   // the install folder
  char log[kPathBufferSize];
  char desktop[kPathBufferSize];
  char temp[kPathBufferSize];  // with its trailing backslash
  char kept[kKeptFolderCount][kPathBufferSize];
  const char* keptList[kKeptFolderCount];
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

// False when the program's own path cannot be had: then there is no log to go by either.
bool FindPlaces(Places* places) {
  GetSpecialFolder(CSIDL_DESKTOP, places->desktop);
  for (int i = 0; i < kKeptFolderCount; ++i) {
    GetSpecialFolder(kKeptFolderIds[i], places->kept[i]);
    places->keptList[i] = places->kept[i];
  }
  const DWORD tempLength = GetTempPathA(sizeof places->temp, places->temp);
  if (tempLength == 0 || tempLength >= sizeof places->temp) places->temp[0] = '\0';
  if (!GetProgramPath(places->program)) return false;
  PathPrefix(places->program, LastComponentIndex(places->program) - 1, places->folder);
  return PathBesideModule(places->log, sizeof places->log, places->program, kInstallLogName);
}

UninstallPlaces PlanPlaces(const Places& places) {
  return {places.folder,   places.program,   places.log,    places.desktop,
          places.keptList, kKeptFolderCount, &kProductNames};
}

bool DeleteOneFile(const char* path) {
  if (DeleteFileA(path) || IsGone(GetLastError())) return true;
  // Read-only is no reason to keep a file of the product; in use or forbidden is.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !(attributes & FILE_ATTRIBUTE_READONLY))
    return false;
  return SetFileAttributesA(path, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)) &&
         DeleteFileA(path);
}

bool RemoveEmptyFolder(const char* path) {
  return RemoveDirectoryA(path) || IsGone(GetLastError());
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

bool IsLinkOrNoFolder(DWORD attributes) {
  return !(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The folders between a step's place and its item, held open while the item is removed.
struct HeldFolders {
  HANDLE handles[kPathBufferSize / 2];  // a path of 259 bytes has fewer folders than that
  int count;
  ~HeldFolders() {
    for (int i = 0; i < count; ++i)
      CloseHandle(handles[i]);
  }
};

enum ChainState { kPlainChain, kChainGone, kChainLinked };

// Opens each folder between the step's place and its item and checks that it is a plain folder,
// not a symbolic link, junction or mount point, which would lead the removal out of the
// product's place. Each is opened first, as itself rather than what it may point at, and
// without delete sharing, so it cannot be renamed or replaced by a link between the check and
// the removal. A folder step's item, which is removed itself, is checked by its attributes.
ChainState HoldPlainFolders(const UninstallStep& step, HeldFolders* held) {
  char folder[kPathBufferSize];
  BoundedCopy(folder, step.path, sizeof folder);
  for (int at = step.placeLength; folder[at] != '\0'; at += int(CharacterLength(folder + at))) {
    if (at == step.placeLength || folder[at] != '\\') continue;  // the place's own separator
    folder[at] = '\0';
    // Listing access, because an open for attributes alone takes no part in sharing checks.
    const HANDLE handle = CreateFileA(
        folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle != INVALID_HANDLE_VALUE) held->handles[held->count++] = handle;
    const DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES && IsGone(GetLastError())) return kChainGone;
    if (attributes == INVALID_FILE_ATTRIBUTES || IsLinkOrNoFolder(attributes)) return kChainLinked;
    folder[at] = '\\';
  }
  if (step.kind == kRemoveFolder && int(std::strlen(step.path)) > step.placeLength) {
    const DWORD attributes = GetFileAttributesA(step.path);
    if (attributes != INVALID_FILE_ATTRIBUTES && IsLinkOrNoFolder(attributes)) return kChainLinked;
  }
  return kPlainChain;
}

// A file or folder step, carried out only through plain folders: through a link it is passed
// over and reported as left. A folder on the way that is gone takes the item with it.
bool CarryOutInPlace(const UninstallStep& step) {
  HeldFolders held = {};
  switch (HoldPlainFolders(step, &held)) {
    case kChainGone:
      return true;
    case kChainLinked:
      return false;
    case kPlainChain:
      break;
  }
  return step.kind == kDeleteFile ? DeleteOneFile(step.path) : RemoveEmptyFolder(step.path);
}

bool CarryOut(const UninstallStep& step) {
  switch (step.kind) {
    case kDeleteFile:
    case kRemoveFolder:
      return CarryOutInPlace(step);
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
// is not empty is not one: what keeps it may be the user's own.
bool CarryOutSteps(const UninstallPlan& plan, bool entry, ReportList* left) {
  bool itemLeft = false;
  for (int i = 0; i < plan.count; ++i) {
    const UninstallStep& step = plan.steps[i];
    if (IsUninstallEntryStep(step) != entry || CarryOut(step)) continue;
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
bool CarryOutPlan(const UninstallPlan& plan, ReportList* left) {
  return CarryOutSteps(plan, false, left) || CarryOutSteps(plan, true, left);
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
  DeleteFileA(copy);  // a leftover of an earlier run with this process id; never written through
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

// Copies this program to the temporary folder and starts the copy, which waits for this process
// to end and then removes the program, the log and, with `removeFolder`, the install folder
// when empty. False, with nothing left behind, when that cannot be arranged.
bool StartRemovalCopy(const Places& places, bool removeFolder) {
  char number[24], copy[kPathBufferSize];
  // Named after this process, so that two uninstallers never share one.
  if (!places.temp[0] || !ComposePath(copy, "%s%s%s.exe", places.temp, kCopyName,
                                      DecimalText(number, GetCurrentProcessId())))
    return false;
  const HANDLE held = WriteHeldCopy(places.program, copy);
  if (held == INVALID_HANDLE_VALUE) return false;
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
  if (!started) DeleteFileA(copy);
  return started;
}

// The copy's part (see the top of this file). It acts only for a handle that it inherited from
// an uninstaller, so run by hand it does nothing.
int FinishRemoval(const UninstallOptions& options) {
  HANDLE original = reinterpret_cast<HANDLE>(options.waitHandle);
  if (!IsPlainPath(options.original) || WaitForSingleObject(original, INFINITE) != WAIT_OBJECT_0)
    return kNoLog;
  CloseHandle(original);
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (DeleteOneFile(options.original)) break;
    Sleep(kDeleteRetryMs);
  }
  char log[kPathBufferSize], folder[kPathBufferSize], self[kPathBufferSize];
  if (PathBesideModule(log, sizeof log, options.original, kInstallLogName)) DeleteOneFile(log);
  PathPrefix(options.original, LastComponentIndex(options.original) - 1, folder);
  if (options.removeFolder && IsPlainPath(folder)) RemoveDirectoryA(folder);
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length > 0 && length < sizeof self) MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
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

void ShowReport(const ReportList& left, bool passedOver) {
  char summary[kReportListSize + 1024], message[kReportListSize + 2048];
  const char* const list[] = {left.text};
  if (left.count)
    FillTextSlots(summary, sizeof summary, Say(kLeftText), list, 1);
  else
    BoundedCopy(summary, Say(kDoneText), sizeof summary);
  const char* const texts[] = {summary, Say(kPassedOverText)};
  FillTextSlots(message, sizeof message, passedOver ? "%s\n\n%s" : "%s", texts, 2);
  ShowMessage(message, left.count ? MB_ICONWARNING : MB_ICONINFORMATION);
}

int Uninstall(bool quiet) {
  Places places = {};  // every path empty until found
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

  ReportList left = {};
  const bool keepSelf = CarryOutPlan(plan, &left);
  const bool copyStarted = !keepSelf && StartRemovalCopy(places, plan.listsInstallFolder);
  if (!keepSelf && !copyStarted) {
    AddReportItem(&left, places.program);
    AddReportItem(&left, places.log);
  }
  if (plan.listsInstallFolder && (!copyStarted || !HoldsOnlyOwnFiles(places))) {
    char folder[kPathBufferSize];
    ComposePath(folder, "%s\\", places.folder);
    AddReportItem(&left, folder);
  }
  const bool passedOver = plan.passedOver > 0;
  FreeUninstallPlan(&plan);
  if (!quiet) ShowReport(left, passedOver);
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
