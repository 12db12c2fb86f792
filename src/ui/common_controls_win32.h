// The common controls library: the progress bar's window class and the image list drawing of
// the folder and drive icons.
//
// It is loaded at run time from the system folder (LoadSystemLibrary), not imported: it is not
// a KnownDLL, so an import would be looked up beside setup.exe first, before WinMain runs, and
// a COMCTL32.DLL left in the Downloads folder would run with the setup program's rights.
#pragma once

#include <windows.h>

#include <commctrl.h>

// Loads the library and initialises it; its window classes exist from then on, so this comes
// before the first control is made. When it cannot be loaded the wizard goes on without a
// progress bar and without icons.
void LoadCommonControls();

// ImageList_GetIconSize and ImageList_Draw with ILD_TRANSPARENT, through the loaded library.
// Without it the size is 0 by 0 and nothing is drawn.
void GetListIconSize(HIMAGELIST list, int* width, int* height);
void DrawListIcon(HIMAGELIST list, int index, HDC dc, int x, int y);
