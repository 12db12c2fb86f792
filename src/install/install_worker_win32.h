// The installation worker thread, started on entering the copying page.
#pragma once

#include <windows.h>

DWORD WINAPI InstallWorker(LPVOID unused);

// The worker's state, which the user-interface thread shares: kWorkerIdle until the copy starts
// and again once the worker is done; kWorkerCancelling once the user confirmed a cancel, which
// the worker answers by undoing what it made, if it is still copying, and then ending the
// program.
enum { kWorkerIdle, kWorkerRunning, kWorkerCancelling };
extern volatile LONG installState;

// Why the install folder shown cannot be installed into. The checks run from
// kFolderNotOnFixedDrive down to kFolderTooLittleSpace, then that of the registered
// installation, of another program's files and the trust rule last (the typed text is judged
// by the wizard before them all); each refusal has its own text on page 3, the key "3_04" for
// kFolderUntrusted and on from there in the order of the enum.
enum InstallFolderCheck {
  kFolderUsable,
  kFolderUntrusted,         // other users may change it or a folder above it
  kFolderNotOnFixedDrive,   // no drive letter of a fixed drive: a UNC or \\?\ path, a missing drive
  kFolderPathNotTaken,      // a path the installation composes is too long or not plain
  kFolderInWindows,         // the Windows folder or inside it, however it is spelled
  kFolderTooLittleSpace,    // the drive's free space is less than the space required
  kFolderOfAnotherProgram,  // a payload name exists there that its install.log does not list
  kFolderNotRegistered,     // the product is installed in another folder, named in the text
  kFolderTextReplaced,      // the text typed holds a character the code page cannot hold
};

// Checks the install folder shown. Asked on Next of page 3; the copy asks again, since things
// change meanwhile, and makes nothing when the answer is not kFolderUsable.
InstallFolderCheck CheckInstallFolder();
// Checks the shortcut folder shown, when the shortcuts go there: on a fixed drive, trusted, every
// shortcut's path one that fits and Windows takes, the desktop shortcut's too. Asked on Next of
// page 4, and again by the copy. The desktop itself is judged when its shortcut is made: it is no
// folder the user chose.
InstallFolderCheck CheckShortcutFolder();
// The text of page 3's or page 4's line for `check`, in the wizard's language; empty for
// kFolderUsable. Valid until the next call.
const char* InstallFolderCheckText(InstallFolderCheck check);
