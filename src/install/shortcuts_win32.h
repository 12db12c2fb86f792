// The shortcuts: the shortcut folder with one shortcut per entry of the shortcut table, and the
// desktop shortcut. A file target becomes a shell link (.lnk), a web address an Internet
// shortcut (.url). They belong to the user and keep what their folder passes on. Each folder and
// shortcut is logged before it is made, and what could not be logged is not made. The folder a
// shortcut goes into is held with its whole chain from the drive root, every folder of it
// trusted (folders/trust_win32.h), while it is made; a link among them is followed only into
// trusted folders, and an existing shortcut that is a link is not written through.
#pragma once

#include <windows.h>

#include "install/install_text.h"

// Writes one shortcut file at `file` pointing at `target`; false when it could not be written.
bool WriteShortcut(const char* target, const char* file);

// The user's desktop folder into `folder` (260 bytes); false when it cannot be determined.
bool GetDesktopFolder(char* folder);

// True when every shortcut file the chosen steps would make has a path Windows takes as it
// stands (install/install_paths.h), checked before the installation makes anything.
bool AreShortcutPathsPlain(bool folderShortcuts, bool desktopShortcut);

// How a shortcut step ended, the worse results last.
enum ShortcutResult {
  kShortcutsMade,
  kShortcutPlaceRefused,  // nothing made: other accounts may change the folder or one above it
  kShortcutsNotWritten,   // a shortcut or its folder could not be written or logged
};

// The shortcut-folder step: logs, creates and holds the shortcut folder, then logs and makes
// each shortcut of the table.
ShortcutResult CreateFolderShortcuts(InstallLog* log);

// The desktop step: one shell link to the product's program, named after shortcut 1.
ShortcutResult CreateDesktopShortcut(InstallLog* log);
