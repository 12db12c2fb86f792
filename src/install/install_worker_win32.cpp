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
#include "folders/item_removal_win32.h"
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
#include "ui/thunked_calls_win32.h"

volatile LONG installState;

namespace {

constexpr uint32_t kBlockSize = 8192;
constexpr int kBlockShift = 13;
static_assert(kBlockSize == 1u << kBlockShift, "a block is 8192 bytes");

// What the copy made of payload entry i, for undoing it when the user cancels: kMadeFile when it
// made the file, and in the bits below it the first component of the entry's path that it made
// a folder for (0: none; the folders below that one were made too).
constexpr uint16_t kMadeFile = 0x8000;

struct CopyProgress {
  uint32_t total;          // the bar's 100 %
  uint32_t written;        // bytes the system reported written, over all files
  bool complete;           // every payload file was created and written in full
  bool uninstallerCopied;  // uninstall.exe is there in full: the installation can be undone
  uint16_t* made;          // one record per payload entry
};

bool IsCancelling() {
  return installState == kWorkerCancelling;
}

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
// each that is missing is made: its line, then the folder, protected, then the hold; the first
// goes to `made`. False when a line cannot be written or a folder cannot be made or is no plain
// folder (a link, which would carry the file elsewhere): nothing is made in it then.
bool HoldEntryFolders(const char* target, int top, InstallLog* log, CopyFolders* folders,
                      uint16_t* made) {
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
    if (!IsFolder(folder)) {
      if (!*made) *made = uint16_t(k);
      if (!WriteFolderLine(log, folder) || !CreateDirectoryA(folder, ProtectedAttributes()))
        return false;
    }
    if (!HoldPlainFolder(folder, &folders->held)) return false;
    folders->ends[folders->held.count - 1] = int(std::strlen(folder));
  }
  return true;
}

// Writes `size` bytes from `data` to `file` in 8192-byte blocks and a rest (possibly empty),
// moving the bar after each. False when the system wrote less than asked, or when a cancel
// stops a file the copy made (`stoppable`): it goes again. A file of an earlier installation is
// written to its end, never left cut.
bool WriteBlocks(HANDLE file, const uint8_t* data, uint32_t size, CopyProgress* progress,
                 bool stoppable) {
  bool full = true;
  const uint32_t blocks = size >> kBlockShift;
  for (uint32_t j = 0; j <= blocks; ++j) {
    if (stoppable && IsCancelling()) return false;
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

// Writes the payload entry `name` to `target`, protected, never through a link; `made` gets
// kMadeFile when the file is new. False when not all of it was written.
bool WriteEntryFile(const char* target, const char* name, CopyProgress* progress, uint16_t* made) {
  bool created = false;
  HANDLE file =
      OpenPlainFile(target, GENERIC_WRITE | WRITE_DAC, 0, ProtectedAttributes(), &created);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (created) *made |= kMadeFile;
  const PackageEntryHeader* header = nullptr;
  const uint8_t* data = FindPackageEntry(kPayloadPackage, name, &header);
  // A file this open made is empty already; one that was there is emptied first.
  const bool written = (created || SetEndOfFile(file)) && data &&
                       WriteBlocks(file, data, EntryDataSize(header), progress, created);
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
  uint16_t* made = &progress->made[i];
  const bool copied =
      HoldEntryFolders(target, LastComponentIndex(installPicker.path), log, folders, made) &&
      WriteFileLine(log, target) && WriteEntryFile(target, name, progress, made);
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

// Everything the installation will make beyond the install folder's and the shortcuts' paths is
// one Windows takes: the payload's names; and the protection can be built.
bool IsInstallationPossible(int count) {
  if (!ProtectedAttributes()) return false;
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

// The folder of the registered installation, as the last check found it.
char registeredFolder[kPathBufferSize];

// The same folder, however either is spelled: a second installation beside the registered one
// would take its entry and its shortcuts, and leave it for nothing to remove.
bool IsSameFolder(const char* registered, const char* folder) {
  const FileIdentity identity = IdentityOfPath(registered);
  return IsSamePath(registered, folder) ||
         (IsKnownIdentity(identity) && IsSameIdentity(identity, IdentityOfPath(folder)));
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
  if (RegisteredInstallFolder(registeredFolder) && !IsSameFolder(registeredFolder, folder))
    return kFolderNotRegistered;
  if (!HoldsOnlyOurFiles(folder, count)) return kFolderOfAnotherProgram;
  if (!HoldTrustedChain(folder, kFolderInstalled, chain, firstMissing)) return kFolderUntrusted;
  return HoldsFolder(chain, windows) ? kFolderInWindows : kFolderUsable;
}

// What the installation holds and made before the copy: the install folder's chain, held from
// the drive root until the installation ends, of whose handles the first `keep` are folders that
// were there; `firstMissing`, the first component of the install folder that it made (past the
// last when none); and the log, with whether this run made it and its length before.
struct Installation {
  HeldFolders chain;
  InstallLog log;
  int firstMissing, keep;
  bool logMade;
  DWORD logStart;
};

bool ComposeLogPath(char* path) {
  return ComposeInstallPath(path, installPicker.path, kInstallLogName);
}

// Opens the log in the install folder for appending only: every line then lands whole at the
// end, whoever else writes. The lines of the folders this run made come first, the log's own
// line after them. False when the log cannot be opened: then nothing is made.
bool OpenInstallLog(Installation* run) {
  const char* folder = installPicker.path;
  char prefix[kPathBufferSize], logPath[kPathBufferSize];
  HANDLE file = INVALID_HANDLE_VALUE;
  if (ComposeLogPath(logPath))
    file = OpenPlainFile(logPath, FILE_APPEND_DATA | WRITE_DAC, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         ProtectedAttributes(), &run->logMade);
  if (file == INVALID_HANDLE_VALUE) return false;
  run->logStart = GetFileSize(file, nullptr);
  run->log = {AppendToFile, file, false};
  for (int k = run->firstMissing; k <= LastComponentIndex(folder); ++k)
    WriteFolderLine(&run->log, PathPrefix(folder, k, prefix));
  WriteFileLine(&run->log, logPath);
  return true;
}

// Removes the folders of the install folder that this run made, innermost first, through
// handles of their own. Our own holds would keep them from being removed; the folder above
// them stays held.
void RemoveMadeInstallFolders(Installation* run, int made) {
  char prefix[kPathBufferSize];
  ReleaseFoldersAfter(&run->chain, run->keep);
  for (int k = made - 1; k >= run->firstMissing; --k)
    RemoveItem(PathPrefix(installPicker.path, k, prefix), {true, nullptr, nullptr, 0});
}

enum StartResult { kStarted, kNotPossible, kFolderRefused, kFolderChecked };

// Makes the missing folders of the install folder from component `firstMissing` down,
// protected, each held as soon as it is made, and opens the log: or makes nothing. A folder
// that someone else made meanwhile is not setup's, and refuses the installation.
StartResult MakeInstallFolders(Installation* run) {
  const char* folder = installPicker.path;
  const int last = LastComponentIndex(folder);
  char prefix[kPathBufferSize];
  StartResult result = kStarted;
  int made = run->firstMissing;
  run->keep = run->chain.count;
  for (; result == kStarted && made <= last; ++made) {
    PathPrefix(folder, made, prefix);
    if (!CreateDirectoryA(prefix, ProtectedAttributes())) {
      result = kFolderRefused;
      break;
    }
    if (!HoldTrustedFolder(prefix, made == last ? kFolderInstalled : kFolderOnTheWay, &run->chain))
      result = kFolderRefused;
  }
  if (result == kStarted && OpenInstallLog(run)) return kStarted;
  if (result == kStarted) result = kNotPossible;
  RemoveMadeInstallFolders(run, made);
  return result;
}

// The install folder's chain checked and held, its folders made, the log open: or nothing made.
// `check` says why a folder was refused.
StartResult StartInstallation(int count, Installation* run, InstallFolderCheck* check) {
  *check = CheckAndHoldInstallChain(&run->chain, &run->firstMissing);
  if (*check == kFolderUntrusted) return kFolderRefused;
  if (*check == kFolderUsable) *check = CheckShortcutFolder();
  if (*check != kFolderUsable) return kFolderChecked;
  if (!IsInstallationPossible(count)) return kNotPossible;
  return MakeInstallFolders(run);
}

// Removes the item `path` below the install folder through a handle of its own, with the
// folders down to it held: what a cancelled copy made.
void RemoveMadeItem(const char* path, bool folder) {
  char parent[kPathBufferSize];
  HeldFolders held = {};
  PathPrefix(path, LastComponentIndex(path) - 1, parent);
  if (HoldPlainChainBelow(installPicker.path, parent, &held))
    RemoveItem(path, {folder, nullptr, nullptr, 0});
  ReleaseFolders(&held);
}

// Undoes what this run made, newest first: the files and folders of the first `copied` entries
// that it made, its lines in the log (the whole log when it made it) and the folders of the
// install folder that it made. What an earlier installation had there stays, as its log has it.
void UndoInstallation(Installation* run, const uint16_t* made, int copied) {
  char name[kPathBufferSize], path[kPathBufferSize];
  for (int i = copied - 1; i >= 0; --i) {
    PackageEntryName(kPayloadPackage, i, name);
    ComposeInstallPath(path, installPicker.path, name);  // checked before the copy began
    if (made[i] & kMadeFile) RemoveMadeItem(path, false);
    const int first = made[i] & ~kMadeFile;
    for (int k = LastComponentIndex(path) - 1; first && k >= first; --k)
      RemoveMadeItem(PathPrefix(path, k, name), true);
  }
  CloseHandle(run->log.target);
  ComposeLogPath(path);
  if (run->logMade) {
    RemoveMadeItem(path, false);
  } else {
    const HANDLE log =
        OpenPlainFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, nullptr);
    SetFilePointer(log, LONG(run->logStart), nullptr, FILE_BEGIN);
    SetEndOfFile(log);
    CloseHandle(log);
  }
  RemoveMadeInstallFolders(run, LastComponentIndex(installPicker.path) + 1);
}

// A folder that the copy's own check refused: nothing was made, and page 7 says which check.
// Not inlined: its text would add to the worker's stack, which holds the copy's folders.
__attribute__((noinline)) void ShowFolderCheck(InstallFolderCheck check) {
  char line[1024];
  const char* const texts[] = {InstallFolderCheckText(check)};
  FillTextSlots(line, sizeof line, LookupText("7_07"), texts, 1);
  SetWindowTextA(finishLabel, line);
  SendMessageA(launchCheck, BM_SETCHECK, BST_UNCHECKED, 0);
}

// The last page says whether every file reached the disk; a product with missing files is not
// offered for launch. A folder refused for who may change it is no matter of programs to close;
// a product whose files are all there, but without its shortcuts or its uninstall entry, may be
// started.
enum Outcome {
  kComplete,
  kFilesMissing,
  kNothingInstalled,
  kShortcutsRefused,
  kNotRegistered,
  kShortcutsMissing,
};
void ShowOutcome(Outcome outcome) {
  if (outcome == kComplete) return;
  // 7_04, 7_05, 7_06; 7_07 is the folder check's, so 7_08 and 7_09.
  const char key[] = {'7', '_', '0', char('3' + outcome + (outcome >= kNotRegistered)), '\0'};
  SetWindowTextA(finishLabel, LookupText(key));
  if (outcome < kShortcutsRefused) SendMessageA(launchCheck, BM_SETCHECK, BST_UNCHECKED, 0);
}

}  // namespace

InstallFolderCheck CheckInstallFolder() {
  HeldFolders chain = {};
  int firstMissing = 0;
  const InstallFolderCheck check = CheckAndHoldInstallChain(&chain, &firstMissing);
  ReleaseFolders(&chain);
  return check;
}

InstallFolderCheck CheckShortcutFolder() {
  char root[4];
  const bool inFolder = IsChecked(createShortcutsCheck);
  const char* folder = shortcutPicker.path;
  if (inFolder && !IsOnFixedDrive(folder, root)) return kFolderNotOnFixedDrive;
  if (!AreShortcutPathsPlain(inFolder, IsChecked(desktopShortcutCheck))) return kFolderPathNotTaken;
  HeldFolders held = {};
  int firstMissing = 0;
  const bool trusted = !inFolder || HoldTrustedChain(folder, kFolderOnTheWay, &held, &firstMissing);
  ReleaseFolders(&held);
  return trusted ? kFolderUsable : kFolderUntrusted;
}

const char* InstallFolderCheckText(InstallFolderCheck check) {
  static char line[512];
  char key[8];
  wsprintfA(key, "3_%02d", 3 + check);
  const char* const texts[] = {registeredFolder};
  // Only shown; a text cut to fit still says why.
  FillTextSlots(line, sizeof line, check == kFolderUsable ? "" : LookupText(key), texts, 1);
  return line;
}

DWORD WINAPI InstallWorker(LPVOID) {
  ShowCopyStatus("6_02");
  const int count = PackageEntryCount(kPayloadPackage);
  CopyProgress progress = {0, 0, true, false, nullptr};
  SetBar(0);
  progress.total = PayloadTotal(count);
  Installation run = {};
  InstallFolderCheck check = kFolderUsable;
  progress.made = static_cast<uint16_t*>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(uint16_t) * unsigned(count) + 1));
  const StartResult start = progress.made ? StartInstallation(count, &run, &check) : kNotPossible;
  const bool started = start == kStarted;
  CopyFolders folders = {};
  int copied = 0;
  for (; started && copied < count && !IsCancelling(); ++copied)
    CopyEntry(copied, &run.log, &folders, &progress);
  ReleaseFolders(&folders.held);
  // A cancel during the copy undoes it; one that comes later is too late to undo, and the
  // installation, whole and registered, ends as it would.
  const bool undone = started && IsCancelling();
  if (undone) {
    ShowCopyStatus("6_06");
    UndoInstallation(&run, progress.made, copied);
  } else {
    ShowCopyStatus("6_03");
  }
  // Empty files only: nothing to measure, and all is there. Without any entry the bar stays at 0.
  if (count > 0 && progress.total == 0 && progress.complete) SetBar(100);
  // Only an installation that its uninstaller can undo is registered and gets shortcuts.
  bool complete = started && progress.complete, registered = true;
  ShortcutResult shortcuts = kShortcutsMade;
  if (started && !undone && progress.uninstallerCopied) {
    registered = RegisterProduct(&run.log, complete);
    if (IsChecked(createShortcutsCheck)) shortcuts = CreateFolderShortcuts(&run.log);
    if (IsChecked(desktopShortcutCheck)) {
      const ShortcutResult desktop = CreateDesktopShortcut(&run.log);
      if (desktop > shortcuts) shortcuts = desktop;
    }
  } else {
    complete = false;
  }
  if (started && !undone) CloseHandle(run.log.target);
  ReleaseFolders(&run.chain);
  HeapFree(GetProcessHeap(), 0, progress.made);
  Outcome outcome = kComplete;
  if (start == kFolderRefused)
    outcome = kNothingInstalled;
  else if (!complete)
    outcome = kFilesMissing;
  else if (!registered)
    outcome = kNotRegistered;
  else if (shortcuts == kShortcutsNotWritten)
    outcome = kShortcutsMissing;
  else if (shortcuts == kShortcutPlaceRefused)
    outcome = kShortcutsRefused;
  if (start == kFolderChecked)
    ShowFolderCheck(check);
  else
    ShowOutcome(outcome);
  // A cancel confirmed at any time ends the program once the worker is done.
  if (InterlockedExchange(&installState, kWorkerIdle) == kWorkerCancelling)
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
  else
    ShowPage(7);
  return 0;
}
