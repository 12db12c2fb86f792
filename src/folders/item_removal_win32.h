// Removal of one file or folder through a handle of the item itself, and the identity of a file
// or folder, for every program that removes what an installation made. The item is opened
// without following a link and without sharing write or delete access, checked through that
// handle, and marked for deletion through it: what was checked is what goes, and nobody can
// change, rename or replace it in between. Hold the folders down to it first (place_win32.h),
// or a folder on the way could be swapped for a link while the item is opened.
#pragma once

#include <windows.h>

#include "folders/place_win32.h"  // file identity

// True for the errors that say the item, or a folder on its way, is not there.
inline bool IsGone(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// kOthers: a plain item that the rule's check refused (a shortcut that points elsewhere): it
// stays, and that is no failure.
enum Removal { kRemoved, kWasGone, kLeft, kOthers };

// What an item must be for RemoveItem to remove it: a plain folder (`folder`) or a plain file,
// no link of either kind; and, when `isWanted` is set, what it answers for the open item, asked
// once the item is known to be plain. `context` is passed to it as it is. `attempts` (0 is one)
// is how often the deletion is asked through the one open handle, a tenth of a second apart: for
// the file of a program that has just ended, which the system may keep mapped a moment longer.
struct ItemRule {
  bool folder;
  bool (*isWanted)(HANDLE item, const BY_HANDLE_FILE_INFORMATION& info, const void* context);
  const void* context;
  int attempts;
};

// Removes `path` through a handle of its own when it is what `rule` asks for. A folder goes
// only when empty. A read-only file has its flag cleared first, unless it has more than one
// name: the flag is the file's, and so the other name's too, and the file is left. kWasGone when
// nothing is there; kLeft when it is in use, refused, not plain, not empty, or the system lacks
// SetFileInformationByHandle (before Vista); kOthers when `isWanted` refused it.
Removal RemoveItem(const char* path, const ItemRule& rule);
