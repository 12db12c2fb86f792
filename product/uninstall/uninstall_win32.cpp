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
//   2  nothing was changed, and uninstall.exe stays: the log could not be read (or is larger than
//      16 MiB), or names nothing it could act on (empty, or every line passed over); or the
//      install folder's chain could not be held, because the folder or one above it may be
//      changed by other accounts than SYSTEM, the Administrators, TrustedInstaller and the one it
//      runs as, or a link on the way leads into such a folder (folders/trust_win32.h)
//   3  some items could not be removed: a file in use, a folder that still holds other files (the
//      user's own), a registry entry it had no right to delete; the message names them. When a
//      file or registry entry of the product is among them, the uninstall entry, uninstall.exe
//      and the log stay too, so that it can be run again to finish the job
//   4  everything it acted on was removed, but some lines of the log were passed over: they name
//      places outside the product's, are too long, or the last line was cut. The folders that an
//      installation made above the install folder, on its path, are the product's: they go after
//      it while each is empty, and one that holds anything else stays without a word
//   5  its own installation's files were removed, but another installation is registered (the
//      uninstall entry names another uninstall.exe): that one's entry, settings and shortcut
//      folder stay, and so Quintaxel is not removed from the computer
//
// Before anything is removed, the install folder and every folder above it, from the drive's
// root, are held (folders/trust_win32.h): nothing in the chain can then be renamed or replaced
// until the removal copy, which inherits the held handles, has ended. How each step is carried
// out, through held places and the item's own handle, is carry_out_win32.h; how the uninstaller
// then removes itself and the log, through a private copy that runs once this process has ended, is
// removal_copy_win32.h. The copy is started before the final message, so that the message and the
// exit code can say whether it could be; the copy shows nothing and its own exit code means
// nothing. So when this process has exited, uninstall.exe, install.log, the install folder and
// the empty folders the setup program made above it disappear a moment later: a caller that
// checks them waits for that.
//
// Each uninstaller answers for its own installation only: when the uninstall entry's
// UninstallString names another uninstall.exe (a later installation into another folder), the
// entry, the settings and the shortcut folder stay, its own files go, and the final message says
// that another installation is registered.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "app/dll_search_win32.h"
#include "carry_out_win32.h"
#include "folders/code_page.h"
#include "folders/code_page_win32.h"
#include "folders/folders_win32.h"
#include "folders/item_removal_win32.h"
#include "folders/path_text.h"
#include "folders/trust_win32.h"
#include "install/install_text.h"
#include "lang/fill_text.h"
#include "lang/language.h"
#include "product_language_win32.h"
#include "removal_copy_win32.h"
#include "startup.h"
#include "uninstall/uninstall_plan.h"
#include "uninstall/uninstall_text.h"
#include "uninstall_places_win32.h"

namespace {

enum ExitCode {
  kRemovedAll = 0,
  kDeclined = 1,
  kNoLog = 2,
  kSomeLeft = 3,
  kLinesPassedOver = 4,
  kOtherRegistered = 5
};

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
constexpr Text kOwnRemovedText = {"un_own_removed", "The files of Quintaxel in %s were removed."};
constexpr Text kNoLogText = {
    "un_no_log",
    "The install log %s could not be read or names nothing to remove, so nothing was removed."};
// The fallback keeps only the first sentence of quintaxel.lng's text: every byte of these is
// in every download.
constexpr Text kUntrustedText = {
    "un_untrusted",
    "Other users may change the folder %s or one above it, so nothing was removed."};

// The special folders that are never removed, though a shortcut folder line may name one: the
// shortcut folder is logged whether or not the installation made it.
const int kKeptFolderIds[] = {CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS,
                              CSIDL_STARTMENU,        CSIDL_STARTUP,
                              CSIDL_PERSONAL,         CSIDL_COMMON_PROGRAMS,
                              CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DESKTOPDIRECTORY};
static_assert(sizeof kKeptFolderIds / sizeof kKeptFolderIds[0] == kKeptFolderCount,
              "one kept folder a slot of Places");

const char* Say(const Text& text) {
  const char* value = LookupText(text.key);
  return *value ? value : text.fallback;
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
    if (places->kept[i][0]) places->keptIdentity[i] = IdentityOfPath(places->kept[i]);
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
  const FileIdentity named = IdentityOfPath(program), self = IdentityOfPath(places.program);
  return !IsKnownIdentity(named) || !IsSameIdentity(named, self);
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

bool Confirmed() {
  return MessageBoxA(nullptr, Say(kConfirmText), Say(kTitleText),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
}

void ShowMessage(const char* text, UINT icon) {
  MessageBoxA(nullptr, text, Say(kTitleText), MB_OK | icon | MB_SETFOREGROUND);
}

// The message of a run that changed nothing, naming `path`.
void ShowNothingChanged(const Text& text, const char* path) {
  char message[2 * kPathBufferSize + 512];
  const char* const texts[] = {path};
  FillTextSlots(message, sizeof message, Say(text), texts, 1);
  ShowMessage(message, MB_ICONERROR);
}

void ShowReport(const ReportList& left, bool passedOver, bool otherRegistered) {
  // Kept off the stack, like the uninstaller's other large records: a small stack frame needs no
  // probing of the stack's guard page.
  static char summary[kReportListSize + 1024], message[kReportListSize + 3072];
  const char* const list[] = {left.text};
  const char* const folder[] = {places.folder};
  // "Removed from this computer" only when no other installation stays registered.
  if (left.count)
    FillTextSlots(summary, sizeof summary, Say(kLeftText), list, 1);
  else if (otherRegistered)
    FillTextSlots(summary, sizeof summary, Say(kOwnRemovedText), folder, 1);
  else
    BoundedCopy(summary, Say(kDoneText), sizeof summary);
  const char* const texts[] = {
      summary, passedOver ? "\n\n" : "", passedOver ? Say(kPassedOverText) : "",
      otherRegistered ? "\n\n" : "", otherRegistered ? Say(kOtherRegisteredText) : ""};
  FillTextSlots(message, sizeof message, "%s%s%s%s%s", texts, 5);
  ShowMessage(message, left.count ? MB_ICONWARNING : MB_ICONINFORMATION);
}

// What is left: process-wide, for it is larger than a stack frame may be without probing, and
// the run is made once.
ReportList left;

int Uninstall(bool quiet) {
  const bool found = FindPlaces(&places);
  // No folder of the installation is held open as the current one while it is removed.
  if (places.temp[0]) SetCurrentDirectoryA(places.temp);
  // Loaded before anything is removed: the value and the file are among what goes.
  LoadProductLanguage(places.program);
  if (!quiet && !Confirmed()) return kDeclined;

  // Held until this process ends, and then by the removal copy; the log is read through it.
  int firstMissing = 0;
  if (found && (!HoldTrustedChain(places.folder, kFolderInstalled, &places.chain, &firstMissing) ||
                firstMissing <= LastComponentIndex(places.folder))) {
    if (!quiet) ShowNothingChanged(kUntrustedText, places.folder);
    return kNoLog;
  }
  int length = 0;
  char* log = found ? ReadWholeFile(places.log, &length) : nullptr;
  UninstallPlan plan = {};
  const bool planned = log && BuildUninstallPlan(log, length, PlanPlaces(places), &plan);
  std::free(log);
  if (!planned || plan.taken == 0) {
    FreeUninstallPlan(&plan);
    if (!quiet) ShowNothingChanged(kNoLogText, places.log);
    return kNoLog;
  }

  CoInitialize(nullptr);  // for reading the shortcuts
  places.otherRegistered = IsAnotherRegistered(places);
  const bool keepSelf = CarryOutPlan(plan, &left);
  // An installation into a drive's root listed the root; it is never removed.
  const bool listsFolder = plan.listsInstallFolder && !IsDriveRoot(places.normalFolder);
  // The folders above go after it, and only with it: while it stays, they hold it.
  const bool copyStarted = !keepSelf && StartRemovalCopy(places.program, places.temp, &places.chain,
                                                         listsFolder ? 1 + plan.foldersAbove : 0);
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
  if (left.count) return kSomeLeft;
  return places.otherRegistered ? kOtherRegistered : passedOver ? kLinesPassedOver : kRemovedAll;
}

}  // namespace

Places places;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  UseSystemCodePage();
  UninstallOptions options;
  ReadUninstallOptions(SkipProgramName(GetCommandLineA()), &options);
  switch (options.mode) {
    case kFinish:
      return FinishRemoval(options) ? kRemovedAll : kNoLog;
    case kBadFinish:
      return kNoLog;
    case kQuiet:
      return Uninstall(true);
    case kAskFirst:
      break;
  }
  return Uninstall(false);
}
