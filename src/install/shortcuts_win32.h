// The shortcuts: the shortcut folder with one shortcut per entry of the shortcut table, and the
// desktop shortcut. A file target becomes a shell link (.lnk), a web address an Internet
// shortcut (.url). Each line is logged before its folder or shortcut is made, and what could not
// be logged is not made; a shortcut that then fails is passed over with its line in the log.
#pragma once

#include <windows.h>

#include <cstdio>

// Writes one shortcut file at `file` pointing at `target`.
void WriteShortcut(const char* target, const char* file);

// The user's desktop folder into `folder` (260 bytes); false when it cannot be determined.
bool GetDesktopFolder(char* folder);

// The shortcut-folder step: logs, creates and opens the shortcut folder, then logs and makes
// each shortcut of the table.
void CreateFolderShortcuts(FILE* log);

// The desktop step: one shell link to the product's program, named after shortcut 1.
void CreateDesktopShortcut(FILE* log);
