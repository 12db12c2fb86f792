// The folder tree list with its path edit: one FolderPicker per chosen folder.
//
// The list shows the picker's folder as an indented chain (root, then each folder down to the
// current one, which is selected) followed by the current folder's subfolders. The picker's
// `path` is always the folder selected in the list, a separator and `leafName`.
#pragma once

#include <windows.h>

#include <commctrl.h>

struct FolderPicker {
  HWND list;
  HWND pathEdit;
  HWND driveSelector;   // install picker only
  HWND freeSpaceLabel;  // install picker only
  char path[260];
  char leafName[260];
  int scrollSelectionToTop;
};

extern FolderPicker installPicker;
extern FolderPicker shortcutPicker;

extern HIMAGELIST SystemImageList;
extern HBRUSH HighlightBrush;
HIMAGELIST GetSystemImageList();

HWND CreatePathEdit(HINSTANCE instance, HWND parent, int id, FolderPicker* picker, int x, int y,
                    int width, int height);
HWND CreateFolderList(HINSTANCE instance, HWND parent, int id, FolderPicker* picker, int x, int y,
                      int width, int height);

// Rebuilds the list for `path`: its components, then its subfolders.
void FillFolderList(FolderPicker* picker, const char* path);

// Sets `path` (and the edit) to the selected folder, a separator and `leafName`. A composition
// that would not fit 260 bytes changes nothing, so a cut folder is never offered.
void ComposePickerPath(FolderPicker* picker);

// Rebuilds the list at the folder of the selected entry; `path` stays as it was.
void NavigateFolderList(FolderPicker* picker);

// Takes `leafName` from the last component of the edit's text; `path` stays as it was.
void OnPathEditChanged(FolderPicker* picker);

// Sets `path` and the edit to the edit's text as Windows opens it: an absolute path (C:\...,
// \\server\share\...) as it stands, anything else below the selected folder; separators
// collapsed, "." and ".." resolved, trailing dots and spaces dropped (a root keeps its
// separator). Text that cannot be read so is kept as it stands, and the installation's own check
// then refuses it.
void TakeTypedPath(FolderPicker* picker);

void DrawFolderItem(const DRAWITEMSTRUCT* item);
