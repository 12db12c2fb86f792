// The uninstaller's removal of itself. A running program's file cannot be deleted on Windows,
// so once everything else is done, uninstall.exe copies itself into a new folder of its own in
// the temporary folder, one with a name nobody can guess that only SYSTEM, the Administrators
// and this user may open, and starts the copy with
//   "COPY" /finish HANDLE [FOLDER...] "ORIGINAL"   (uninstall/uninstall_text.h)
// where HANDLE is an inherited handle of the uninstaller's process. The copy inherits the
// handles of the install folder's held chain as well, so the chain stays held from before the
// uninstaller removed anything until the copy ends; the FOLDERs are the handles of the install
// folder itself when the folder is to be removed, and then of each folder above it that an
// installation made on its way there, none when the install folder stays. The copy waits on
// HANDLE until that process has ended, deletes the original uninstall.exe and the log, each
// opened as itself in the held folder and deleted through its own handle (and the install
// folder, when an installation made it and it is now empty, and then the folders above it
// innermost first while each is empty, but never a drive's root), and asks Windows to delete the
// copy and its folder at the next restart (MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT): nothing
// can delete them sooner. The copy shows nothing.
#pragma once

#include "folders/place_win32.h"
#include "uninstall/uninstall_text.h"

// Copies `program`, this uninstall.exe in its long form, into a private folder made in `temp`
// (the temporary folder with its trailing backslash; empty when there is none) and starts the
// copy, which inherits `chain` (the program's folder held from the drive's root, that folder
// last), waits for this process to end and then removes the program, the log beside it and the
// first `folders` (up to kMostFinishFolders) folders of the chain from the program's folder up,
// each when empty: 0 none, 1 the program's folder, more the folders above it too. False, with
// nothing left behind, when that cannot be arranged.
bool StartRemovalCopy(const char* program, const char* temp, const HeldFolders* chain, int folders);

// The copy's part, for its "/finish" command line. It acts only for a handle that it inherited
// from an uninstaller, so run by hand it does nothing and returns false.
bool FinishRemoval(const UninstallOptions& options);
