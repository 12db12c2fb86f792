// The shortcuts: the shortcut folder with one shortcut per entry of the shortcut table, and the
// desktop shortcut. A file target becomes a shell link (.lnk), a web address an Internet
// shortcut (.url). They belong to the user and keep what their folder passes on. Each folder and
// shortcut is logged before it is made, and what could not be logged is not made. The folder a
// shortcut goes into is held as a plain folder (no link) while it is made, and an existing
// shortcut that is a link is not written through.
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

// The shortcut-folder step: logs, creates and opens the shortcut folder, then logs and makes
// each shortcut of the table. False when anything of it could not be made.
bool CreateFolderShortcuts(InstallLog* log);

// The desktop step: one shell link to the product's program, named after shortcut 1. False
// when it could not be made.
bool CreateDesktopShortcut(InstallLog* log);
