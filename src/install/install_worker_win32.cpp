// The installation worker: copies the payload into the install folder with the progress bar
// following the bytes written, logs what it creates, registers the product, makes the
// shortcuts and moves the wizard to the last page.
#include "install/install_worker_win32.h"

#include <commctrl.h>

#include <cstdio>

#include "app/wizard_win32.h"
#include "folders/byte_count.h"
#include "folders/folder_picker_win32.h"
#include "folders/folders_win32.h"
#include "folders/path_text.h"
#include "install/install_text.h"
#include "install/registration_win32.h"
#include "install/shortcuts_win32.h"
#include "lang/fill_text.h"
#include "lang/language.h"
#include "ui/controls_win32.h"

namespace {

constexpr uint32_t kBlockSize = 8192;
constexpr int kBlockShift = 13;
static_assert(kBlockSize == 1u << kBlockShift, "a block is 8192 bytes");

struct CopyProgress {
  uint32_t total;    // the bar's 100 %
  uint32_t written;  // bytes the system reported written, over all files
  bool complete;     // every payload file was created and written in full
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

// Logs and creates the target's ancestor folders that do not exist yet, shallowest first, then
// logs the target's file line. Each folder is made only once its line is in the log; false as
// soon as a line cannot be written (a full disk), and nothing more is made then. So every folder
// and file on disk is named by a whole line of the log that the uninstaller reads.
bool CreateMissingAncestors(const char* target, FILE* log) {
  const int last = LastComponentIndex(target);
  for (int k = 0; k < last; ++k) {
    char folder[kPathBufferSize];
    PathPrefix(target, k, folder);
    if (IsFolder(folder)) continue;
    if (!WriteFolderLine(log, folder)) return false;
    CreateDirectoryA(folder, nullptr);
  }
  return WriteFileLine(log, target);
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

void CopyEntry(int i, FILE* log, CopyProgress* progress) {
  char name[kPathBufferSize] = "", target[kPathBufferSize];
  PackageEntryName(kPayloadPackage, i, name);
  if (!ComposePath(target, "%s\\%s", installPicker.path, name)) {
    progress->complete = false;  // a file under a cut name would land elsewhere: passed over
    return;
  }
  ShowFileLine(target);
  if (!CreateMissingAncestors(target, log)) {
    progress->complete = false;  // a file the log does not name could never be uninstalled
    return;
  }
  HANDLE file = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    progress->complete = false;
    return;
  }
  const PackageEntryHeader* header = nullptr;
  const uint8_t* data = FindPackageEntry(kPayloadPackage, name, &header);
  if (!data || !WriteBlocks(file, data, EntryDataSize(header), progress))
    progress->complete = false;
  if (!data) {
    CloseHandle(file);
    return;
  }
  FILETIME times[3];
  const uint8_t* fields[3] = {header->creationTime, header->lastAccessTime, header->lastWriteTime};
  for (int t = 0; t < 3; ++t) {
    const uint64_t value = ReadLE64(fields[t]);
    times[t] = {DWORD(value), DWORD(value >> 32)};
  }
  SetFileTime(file, &times[0], &times[1], &times[2]);
  CloseHandle(file);
}

// Prepares the install folder and opens the log; null when the log cannot be opened. The
// installation then goes on without it, but copies no file: no line, no file.
FILE* PrepareInstallFolder() {
  char folder[kPathBufferSize], logPath[kPathBufferSize];
  lstrcpyA(folder, installPicker.path);
  const bool folderWasNew = !IsFolder(folder);
  const bool logFits = ComposePath(logPath, "%s\\%s", folder, kInstallLogName);
  CreateFolderChain(folder);
  FILE* log = logFits ? std::fopen(logPath, "a+") : nullptr;
  // Unbuffered: every line is in the file the moment it is written. A cancel ends the process
  // wherever the worker stands; it then loses no line already written, and no payload file is
  // ever on disk before the line that names it for the uninstaller.
  if (log) std::setvbuf(log, nullptr, _IONBF, 0);
  if (folderWasNew) WriteFolderLine(log, folder);
  WriteFileLine(log, logPath);
  return log;
}

// The last page says whether every file reached the disk; a product with missing files is not
// offered for launch.
void ShowOutcome(bool complete) {
  if (complete) return;
  SetWindowTextA(finishLabel, LookupText("7_04"));
  SendMessageA(launchCheck, BM_SETCHECK, BST_UNCHECKED, 0);
}

}  // namespace

DWORD WINAPI InstallWorker(LPVOID) {
  ShowCopyStatus("6_02");
  const int count = PackageEntryCount(kPayloadPackage);
  CopyProgress progress = {0, 0, true};
  SetBar(0);
  progress.total = PayloadTotal(count);
  FILE* log = PrepareInstallFolder();
  for (int i = 0; i < count; ++i)
    CopyEntry(i, log, &progress);
  // Empty files only: nothing to measure, and all is there. Without any entry the bar stays at 0.
  if (count > 0 && progress.total == 0 && progress.complete) SetBar(100);
  ShowCopyStatus("6_03");
  RegisterProduct(log);
  if (IsChecked(createShortcutsCheck)) CreateFolderShortcuts(log);
  if (IsChecked(desktopShortcutCheck)) CreateDesktopShortcut(log);
  if (log) std::fclose(log);
  ShowOutcome(progress.complete);
  ShowPage(7);
  return 0;
}
