// The control factories, the shared fonts and the "panel window" class.
//
// Every child window of the wizard is made by one of these factories: each creates one control
// of a fixed kind and style, gives it the shared font of its kind and returns its handle (null
// when the creation failed; messages to a null handle have no effect). Positions and sizes are
// in the parent's client pixels.
#pragma once

#include <windows.h>

// Shared drawing objects, fetched on first use and kept for the life of the process.
extern HFONT DefaultFont;  // the stock ANSI_VAR_FONT
extern HFONT BoldFont;     // 8-unit bold "MS Sans Serif"
HFONT GetDefaultFont();

HWND CreatePanel(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                 HBRUSH brush);
HWND CreateLabel(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                 const char* text);
HWND CreateBoldLabel(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                     const char* text);
HWND CreateProgressBar(HINSTANCE instance, HWND parent, int x, int y, int width, int height);
HWND CreatePushButton(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                      const char* text, int id, int isDefault);
HWND CreateSeparator(HINSTANCE instance, HWND parent, int x, int y, int width);
HWND CreateComboBox(HINSTANCE instance, HWND parent, int x, int y, int width, int height, int id);
HWND CreateTextViewer(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                      const char* text);
HWND CreateCheckBox(HINSTANCE instance, HWND parent, int x, int y, int width, int height, int id,
                    const char* text, int checked);

int ComboAddString(HWND combo, const char* text);
void ComboSetSelection(HWND combo, int index);
int ComboGetSelection(HWND combo);

// True when the check box answers BST_CHECKED.
bool IsChecked(HWND checkBox);

// The panel's window procedure: paints its background with its brush, lends it and the matching
// text colour to its static children, sizes and paints the owner-drawn lists, and forwards every
// WM_COMMAND to mainWindow. Its WM_CLOSE is the id-2 button's command, its WM_NEXTDLGCTL moves
// the focus to the wizard's next tab stop.
LRESULT CALLBACK PanelWindowProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
