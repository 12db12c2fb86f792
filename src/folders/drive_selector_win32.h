// The drive selector and the free-space label of the install folder picker.
#pragma once

#include <windows.h>

#include "folders/folder_picker_win32.h"

// Creates, fills and selects the drive list (the drive of the picker's path) and shows its free
// space. The height includes the dropped-down list.
HWND CreateDriveSelector(HINSTANCE instance, HWND parent, int id, FolderPicker* picker, int x,
                         int y, int width, int height);

// Adds the fixed drives a: to y: and returns the index of the entry for `path` (0 when none).
int FillDriveSelector(FolderPicker* picker, const char* path);

// Moves the picker to the root of the drive of entry `index` and shows its free space.
void OnDriveChanged(FolderPicker* picker, int index);

void DrawDriveItem(const DRAWITEMSTRUCT* item);
