// The uninstaller's command line and the list of what it could not remove. Platform-neutral.
//
// Windows' UninstallString starts the uninstaller without options. "/quiet" (any letter case)
// answers the confirmation with yes and shows no message; tests and scripts use it. "/finish"
// is only for the temporary copy that removes the uninstaller itself (removal_copy_win32.h):
//   "COPY" /finish HANDLE [FOLDER...] "ORIGINAL"
// HANDLE is the decimal value of an inherited handle of the original process; the FOLDERs, none
// when the install folder stays, are those of the inherited handles of the held folders that go
// when empty, innermost first: the install folder, and then each folder above it, one level up
// at a time, that the setup program made on its way there; ORIGINAL is the path of the original
// uninstall.exe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "folders/path_text.h"
#include "uninstall/uninstall_plan.h"

enum UninstallMode {
  kAskFirst,  // no option, or one it does not know: it asks before it does anything
  kQuiet,
  kFinish,
  kBadFinish,  // "/finish" not followed by its handles and path as above: nothing is done
};

// The install folder and the folders above it that one "/finish" may name.
constexpr int kMostFinishFolders = 1 + kMostFoldersAbove;

struct UninstallOptions {
  UninstallMode mode;
  // kFinish only.
  uintptr_t waitHandle;
  uintptr_t folderHandles[kMostFinishFolders];  // the FOLDERs, innermost first
  int folderCount;
  char original[kPathBufferSize];
};

// Reads the command line after the program name (app/command_line.h SkipProgramName).
void ReadUninstallOptions(const char* arguments, UninstallOptions* options);

// The whole command line of the copy, its own path first, in quotes; false when it would not fit
// `size` bytes. `folders` are the handles of the held folders that go, outermost first as the
// chain holds them, and `folderCount` (up to kMostFinishFolders) how many: they are written
// innermost first.
bool FormatFinishCommand(char* out, size_t size, const char* copyPath, uintptr_t waitHandle,
                         void* const* folders, int folderCount, const char* original);

// `value` in decimal into `out`, which holds at least 21 bytes; returns `out`.
char* DecimalText(char* out, uintptr_t value);

// The items named in the final message, one a line. An item that would not fit whole ends the
// list with "..." instead, so a long list is cut, never an item in it.
constexpr size_t kReportListSize = 2048;
struct ReportList {
  char text[kReportListSize];
  int count;  // items added, those left out included
  bool cut;   // "..." ends the text
};
void AddReportItem(ReportList* list, const char* item);
