// The installation worker: copies the payload into the install folder with the progress bar
// following the bytes written, logs what it creates, registers the product, makes the
// shortcuts and moves the wizard to the last page.
#include "install/install_worker_win32.h"

#include <commctrl.h>

#include <cstring>

#include "app/wizard_win32.h"
#include "folders/byte_count.h"
#include "folders/folder_picker_win32.h"
#include "folders/folders_win32.h"
#include "folders/path_form.h"
#include "folders/path_text.h"
#include "folders/place_win32.h"
#include "folders/trust_win32.h"
#include "install/install_paths.h"
#include "install/install_text.h"
#include "install/protection_win32.h"
#include "install/registration_win32.h"
#include "install/shortcuts_win32.h"
#include "lang/fill_text.h"
#include "lang/language.h"
#include "package/package.h"
#include "ui/controls_win32.h"

namespace {

constexpr uint32_t kBlockSize = 8192;
constexpr int kBlockShift = 13;
static_assert(kBlockSize == 1u << kBlockShift, "a block is 8192 bytes");

struct CopyProgress {
  uint32_t total;          // the bar's 100 %
  uint32_t written;        // bytes the system reported written, over all files
  bool complete;           // every payload file was created and written in full
  bool uninstallerCopied;  // uninstall.exe is there in full: the installation can be undone
};

void ShowCopyStatus(const char* key) {
  SetWindowTextA(copyStatusLabel, LookupText(key));
}

void SetBar(uint32_t position) {
  SendMessageA(copyProgress, PBM_SETPOS, position, 0);
}

void ReportWritten(CopyProgress* progress, DWORD count) {
  progress->written += count;
  // A payload of empty files has no 100 % mark to measure against; its bar is set at the end.
  if (progress->total) SetBar(ProgressPercent(progress->written, progress->total));
}

uint32_t PayloadTotal(int count) {
  uint32_t total = 0;
  for (int i = 0; i < count; ++i) {
    char name[kPathBufferSize] = "";
    const PackageEntryHeader* header = nullptr;
    PackageEntryName(kPayloadPackage, i, name);
    if (FindPackageEntry(kPayloadPackage, name, &header)) total += EntryDataSize(header);
  }
  return total;
}

// The folders below the install folder that the copy holds, from the top down: the first
// `held.count` folders of `path`, the file written last, folder j ending at byte `ends[j]` of
// it. Each is held from the first file written in it until the copy leaves it, which for a
// payload listed folder by folder is the end of the copy: one open and check per folder, not
// per file.
struct CopyFolders {
  HeldFolders held;
  int ends[kPathBufferSize / 2];
  char path[kPathBufferSize];
};

// Holds the folders of `target` below the install folder (whose last component is `top`), from
// the top down, keeping those held already that `target` lies in and releasing the others;
// each that is missing is made: its line, then the folder, protected, then the hold. False when
// a line cannot be written or a folder cannot be made or is no plain folder (a link, which
// would carry the file elsewhere): nothing is made in it then.
bool HoldEntryFolders(const char* target, int top, InstallLog* log, CopyFolders* folders) {
  // A held folder is one of `target`'s when `target` has its bytes and the backslash after it.
  int same = 0, kept = 0;
  while (target[same] != '\0' && target[same] == folders->path[same])
    ++same;
  while (kept < folders->held.count && folders->ends[kept] < same)
    ++kept;
  ReleaseFoldersAfter(&folders->held, kept);
  BoundedCopy(folders->path, target, sizeof folders->path);
  const int last = LastComponentIndex(target);
  for (int k = top + 1 + kept; k < last; ++k) {
    char folder[kPathBufferSize];
    PathPrefix(target, k, folder);
    if (!IsFolder(folder) &&
        (!WriteFolderLine(log, folder) || !CreateDirectoryA(folder, ProtectedAttributes())))
      return false;
    if (!HoldPlainFolder(folder, &folders->held)) return false;
    folders->ends[folders->held.count - 1] = int(std::strlen(folder));
  }
  return true;
}

// Writes `size` bytes from `data` to `file` in 8192-byte blocks and a rest (possibly empty),
// moving the bar after each. False when the system wrote less than asked.
bool WriteBlocks(HANDLE file, const uint8_t* data, uint32_t size, CopyProgress* progress) {
  bool full = true;
  const uint32_t blocks = size >> kBlockShift;
  for (uint32_t j = 0; j <= blocks; ++j) {
    const uint32_t length = j < blocks ? kBlockSize : size & (kBlockSize - 1);
    DWORD count = 0;
    if (!WriteFile(file, data + size_t(j) * kBlockSize, length, &count, nullptr) || count != length)
      full = false;
    ReportWritten(progress, count);
  }
  return full;
}

void ShowFileLine(const char* target) {
  char line[kPathBufferSize];
  const char* const texts[] = {target};
  // Only shown, but a cut path would name another file: then the line shows nothing.
  if (FillTextSlots(line, sizeof line, LookupText("6_05"), texts, 1) >= sizeof line) line[0] = '\0';
  SetWindowTextA(copyFileLabel, line);
}

void SetEntryTimes(HANDLE file, const PackageEntryHeader* header) {
  FILETIME times[3];
  const uint8_t* fields[3] = {header->creationTime, header->lastAccessTime, header->lastWriteTime};
  for (int t = 0; t < 3; ++t) {
    const uint64_t value = ReadLE64(fields[t]);
    times[t] = {DWORD(value), DWORD(value >> 32)};
  }
  SetFileTime(file, &times[0], &times[1], &times[2]);
}

// Writes the payload entry `name` to `target`, protected, never through a link. False when not
// all of it was written.
bool WriteEntryFile(const char* target, const char* name, CopyProgress* progress) {
  bool created = false;
  HANDLE file =
      OpenPlainFile(target, GENERIC_WRITE | WRITE_DAC, 0, ProtectedAttributes(), &created);
  if (file == INVALID_HANDLE_VALUE) return false;
  const PackageEntryHeader* header = nullptr;
  const uint8_t* data = FindPackageEntry(kPayloadPackage, name, &header);
  // A file this open made is empty already; one that was there is emptied first.
  const bool written = (created || SetEndOfFile(file)) && data &&
                       WriteBlocks(file, data, EntryDataSize(header), progress);
  if (data) SetEntryTimes(file, header);
  CloseHandle(file);
  return written;
}

void CopyEntry(int i, InstallLog* log, CopyFolders* folders, CopyProgress* progress) {
  char name[kPathBufferSize] = "", target[kPathBufferSize];
  PackageEntryName(kPayloadPackage, i, name);
  ComposeInstallPath(target, installPicker.path, name);  // checked before the copy began
  ShowFileLine(target);
  // A file is made only once its line is in: the uninstaller finds what the log names.
  const bool copied =
      HoldEntryFolders(target, LastComponentIndex(installPicker.path), log, folders) &&
      WriteFileLine(log, target) && WriteEntryFile(target, name, progress);
  if (!copied) progress->complete = false;
  if (copied && IsSamePath(name, kUninstallerName)) progress->uninstallerCopied = true;
}

// The drive letter of a fixed drive, as the drive selector lists them (a: to y:), a colon and
// a backslash: a UNC or \\?\ path, a missing drive or a removable one is no place to install to.
bool IsOnFixedDrive(const char* folder, char* root) {
  const char letter = char(folder[0] | 0x20);
  if (letter < 'a' || letter > 'y' || folder[1] != ':' || folder[2] != '\\') return false;
  const char text[4] = {letter, ':', '\\', '\0'};
  BoundedCopy(root, text, 4);
  return GetDriveTypeA(root) == DRIVE_FIXED;
}

// The log, the uninstaller and every payload file fit and are plain paths in `folder`. A payload
// name that is no plain name is the package's fault and is judged with the copy.
bool AreInstallPathsTaken(const char* folder, int count) {
  char path[kPathBufferSize];
  if (!ComposeInstallPath(path, folder, kInstallLogName) ||
      !ComposeInstallPath(path, folder, kUninstallerName))
    return false;
  for (int i = 0; i < count; ++i) {
    char name[kPathBufferSize] = "";
    PackageEntryName(kPayloadPackage, i, name);
    if (IsPlainEntryName(name) && !ComposeInstallPath(path, folder, name)) return false;
  }
  return true;
}

// The free space of the whole drive, as page 3 shows it, holds the space page 3 requires. A
// drive that cannot tell is left to the copy.
bool HasRoomFor(const char* root) {
  ULARGE_INTEGER callerFree, total, totalFree;
  return !GetDiskFreeSpaceExA(root, &callerFree, &total, &totalFree) ||
         totalFree.QuadPart >= PackageSize(kPayloadPackage);
}

constexpr DWORD kMostLogBytes = 16u << 20;

// True when `path` is a line of the `size` bytes of `log`, compared without case as Windows
// compares file names.
bool IsLogLine(const char* log, DWORD size, const char* path) {
  const int length = int(std::strlen(path));
  for (DWORD start = 0; start < size;) {
    DWORD end = start;
    while (end < size && log[end] != '\r' && log[end] != '\n')
      ++end;
    // Asked only of a line of the same length: the folder check runs this for every payload
    // file there against every line of the log, and the system's comparison is slow.
    if (int(end - start) == length && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, log + start,
                                                     length, path, length) == CSTR_EQUAL)
      return true;
    start = end + 1;
  }
  return false;
}

// Every payload file that exists in `folder` is listed in the install.log there: the folder is
// empty of them, or holds an earlier installation of this product. A log over 16 MiB is no log
// of ours, and lists nothing.
bool HoldsOnlyOurFiles(const char* folder, int count) {
  char path[kPathBufferSize];
  ComposeInstallPath(path, folder, kInstallLogName);  // checked before
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD high = 0, size = 0;
  if (file != INVALID_HANDLE_VALUE) size = GetFileSize(file, &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size > kMostLogBytes) size = 0;
  const HANDLE mapping =
      size ? CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr;
  const char* log =
      mapping ? static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
  bool ours = true;
  for (int i = 0; ours && i < count; ++i) {
    char name[kPathBufferSize] = "";
    PackageEntryName(kPayloadPackage, i, name);
    if (IsPlainEntryName(name) && ComposeInstallPath(path, folder, name) &&
        GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
      ours = log && IsLogLine(log, size, path);
  }
  if (log) UnmapViewOfFile(log);
  if (mapping) CloseHandle(mapping);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return ours;
}

// Everything the installation will make beyond the install folder's paths is one Windows takes:
// the payload's names, the shortcuts' paths; and the protection can be built.
bool IsInstallationPossible(int count) {
  if (!ProtectedAttributes() ||
      !AreShortcutPathsPlain(IsChecked(createShortcutsCheck), IsChecked(desktopShortcutCheck)))
    return false;
  for (int i = 0; i < count; ++i) {
    char name[kPathBufferSize] = "";
    PackageEntryName(kPayloadPackage, i, name);
    if (!IsPlainEntryName(name)) return false;
  }
  return true;
}

bool AppendToFile(InstallLog* log, char* line, size_t length) {
  DWORD written = 0;
  return WriteFile(log->target, line, DWORD(length), &written, nullptr) && written == length;
}

// Checks the install folder and holds its chain as far as it exists, from the drive root down:
// each folder trusted, none of them the Windows folder, however it is spelled. Anything but
// kFolderUsable: nothing may be made there, and `chain` holds what the caller must release.
// `firstMissing` is the first component still to be made.
InstallFolderCheck CheckAndHoldInstallChain(HeldFolders* chain, int* firstMissing) {
  char windows[kPathBufferSize], root[4];
  const char* folder = installPicker.path;
  const int count = PackageEntryCount(kPayloadPackage);
  const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
  if (!IsOnFixedDrive(folder, root)) return kFolderNotOnFixedDrive;
  if (!AreInstallPathsTaken(folder, count)) return kFolderPathNotTaken;
  if (length == 0 || length >= sizeof windows || !IsInstallFolderAllowed(folder, windows))
    return kFolderInWindows;
  if (!HasRoomFor(root)) return kFolderTooLittleSpace;
  if (!HoldsOnlyOurFiles(folder, count)) return kFolderOfAnotherProgram;
  if (!HoldTrustedChain(folder, kFolderInstalled, chain, firstMissing)) return kFolderUntrusted;
  return HoldsFolder(chain, windows) ? kFolderInWindows : kFolderUsable;
}

// Opens the log in the install folder for appending only: every line then lands whole at the
// end, whoever else writes. The lines of the folders this run made (`firstNew` on) come first,
// the log's own line after them. False when the log cannot be opened: then nothing is made.
bool OpenInstallLog(InstallLog* log, int firstNew) {
  const char* folder = installPicker.path;
  char prefix[kPathBufferSize], logPath[kPathBufferSize];
  HANDLE file = INVALID_HANDLE_VALUE;
  if (ComposeInstallPath(logPath, folder, kInstallLogName))
    file = OpenPlainFile(logPath, FILE_APPEND_DATA | WRITE_DAC, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         ProtectedAttributes(), nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  *log = {AppendToFile, file, false};
  for (int k = firstNew; k <= LastComponentIndex(folder); ++k)
    WriteFolderLine(log, PathPrefix(folder, k, prefix));
  WriteFileLine(log, logPath);
  return true;
}

enum StartResult { kStarted, kNotPossible, kFolderRefused, kFolderChecked };

// Makes the missing folders of the install folder from component `firstMissing` down,
// protected, each held as soon as it is made, and opens the log: or makes nothing. A folder
// that someone else made meanwhile is not setup's, and refuses the installation.
StartResult MakeInstallFolders(int firstMissing, HeldFolders* chain, InstallLog* log) {
  const char* folder = installPicker.path;
  const int last = LastComponentIndex(folder), keep = chain->count;
  char prefix[kPathBufferSize];
  StartResult result = kStarted;
  int made = firstMissing;
  for (; result == kStarted && made <= last; ++made) {
    PathPrefix(folder, made, prefix);
    if (!CreateDirectoryA(prefix, ProtectedAttributes())) {
      result = kFolderRefused;
      break;
    }
    if (!HoldTrustedFolder(prefix, made == last ? kFolderInstalled : kFolderOnTheWay, chain))
      result = kFolderRefused;
  }
  if (result == kStarted && OpenInstallLog(log, firstMissing)) return kStarted;
  if (result == kStarted) result = kNotPossible;
  // Our own holds would keep the new folders from being removed.
  ReleaseFoldersAfter(chain, keep);
  for (int k = made - 1; k >= firstMissing; --k)
    RemoveDirectoryA(PathPrefix(folder, k, prefix));
  return result;
}

// The install folder's chain checked and held, its folders made, the log open: or nothing made.
// The chain stays held until the installation ends. `check` says why a folder was refused.
StartResult StartInstallation(int count, HeldFolders* chain, InstallLog* log,
                              InstallFolderCheck* check) {
  int firstMissing = 0;
  *check = CheckAndHoldInstallChain(chain, &firstMissing);
  if (*check == kFolderUntrusted) return kFolderRefused;
  if (*check != kFolderUsable) return kFolderChecked;
  if (!IsInstallationPossible(count)) return kNotPossible;
  return MakeInstallFolders(firstMissing, chain, log);
}

// The text key of a refused folder: "3_04" on.
void FolderCheckKey(InstallFolderCheck check, char* key) {
  const char text[5] = {'3', '_', '0', char('3' + check), '\0'};
  BoundedCopy(key, text, 5);
}

// A folder that the copy's own check refused: nothing was made, and page 7 says which check.
void ShowFolderCheck(InstallFolderCheck check) {
  char key[5], line[512];
  FolderCheckKey(check, key);
  const char* const texts[] = {LookupText(key)};
  FillTextSlots(line, sizeof line, LookupText("7_07"), texts, 1);
  SetWindowTextA(finishLabel, line);
  SendMessageA(launchCheck, BM_SETCHECK, BST_UNCHECKED, 0);
}

// The last page says whether every file reached the disk; a product with missing files is not
// offered for launch. A folder refused for who may change it is no matter of programs to close.
enum Outcome { kComplete, kFilesMissing, kNothingInstalled, kShortcutsRefused };
void ShowOutcome(Outcome outcome) {
  if (outcome == kComplete) return;
  const char key[] = {'7', '_', '0', char('3' + outcome), '\0'};  // 7_04, 7_05, 7_06
  SetWindowTextA(finishLabel, LookupText(key));
  if (outcome != kShortcutsRefused) SendMessageA(launchCheck, BM_SETCHECK, BST_UNCHECKED, 0);
}

}  // namespace

InstallFolderCheck CheckInstallFolder() {
  HeldFolders chain = {};
  int firstMissing = 0;
  const InstallFolderCheck check = CheckAndHoldInstallChain(&chain, &firstMissing);
  ReleaseFolders(&chain);
  return check;
}

const char* InstallFolderCheckText(InstallFolderCheck check) {
  char key[5];
  FolderCheckKey(check, key);
  return check == kFolderUsable ? "" : LookupText(key);
}

DWORD WINAPI InstallWorker(LPVOID) {
  ShowCopyStatus("6_02");
  const int count = PackageEntryCount(kPayloadPackage);
  CopyProgress progress = {0, 0, true, false};
  SetBar(0);
  progress.total = PayloadTotal(count);
  InstallLog log = {};
  HeldFolders chain = {};
  InstallFolderCheck check = kFolderUsable;
  const StartResult start = StartInstallation(count, &chain, &log, &check);
  const bool started = start == kStarted;
  CopyFolders folders = {};
  for (int i = 0; started && i < count; ++i)
    CopyEntry(i, &log, &folders, &progress);
  ReleaseFolders(&folders.held);
  // Empty files only: nothing to measure, and all is there. Without any entry the bar stays at 0.
  if (count > 0 && progress.total == 0 && progress.complete) SetBar(100);
  ShowCopyStatus("6_03");
  // Only an installation that its uninstaller can undo is registered and gets shortcuts.
  bool complete = started && progress.complete;
  ShortcutResult shortcuts = kShortcutsMade;
  if (started && progress.uninstallerCopied) {
    complete = RegisterProduct(&log, complete) && complete;
    if (IsChecked(createShortcutsCheck)) shortcuts = CreateFolderShortcuts(&log);
    if (IsChecked(desktopShortcutCheck)) {
      const ShortcutResult desktop = CreateDesktopShortcut(&log);
      if (desktop > shortcuts) shortcuts = desktop;
    }
  } else {
    complete = false;
  }
  if (started) CloseHandle(log.target);
  ReleaseFolders(&chain);
  Outcome outcome = kComplete;
  if (start == kFolderRefused)
    outcome = kNothingInstalled;
  else if (!complete || shortcuts == kShortcutsNotWritten)
    outcome = kFilesMissing;
  else if (shortcuts == kShortcutPlaceRefused)
    outcome = kShortcutsRefused;
  if (start == kFolderChecked)
    ShowFolderCheck(check);
  else
    ShowOutcome(outcome);
  ShowPage(7);
  return 0;
}
