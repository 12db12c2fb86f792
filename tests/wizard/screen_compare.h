// What a control of the wizard looks like on the screen, compared with a twin control that this
// process makes with the expected font and background.
//
// The font of another process's control cannot be asked for under Wine (a WM_GETFONT sent from
// another process fails), and a font handle would mean nothing here anyway: GDI handles differ
// between processes. What the user sees can be compared instead, pixel for pixel.
#pragma once

#include <windows.h>

#include <string>

namespace wizard {

struct Twin {
  const char* windowClass;
  DWORD style;
  DWORD exStyle;
  HFONT font;            // null: no WM_SETFONT, the control's own default
  COLORREF background;   // what the parent lends to static controls and paints itself
  bool checked = false;  // for check boxes
  int height = 0;        // the height to create it with; 0: the control's own
};
// A combo box twin gets one entry, the control's window text, selected.

// How many pixels of `control`'s client area, as the screen shows it, differ from a twin made
// from `twin` with the same size and text in a window of this process. -1 when the control is
// not fully on the screen.
int PixelsDifferingFromTwin(HWND control, const Twin& twin);

// How many pixels of `window`'s client area, as the screen shows it, are not `color`: on a
// background of that colour, the marks of what the window draws.
int PixelsUnlike(HWND window, COLORREF color);

// The colour the screen shows at a point of `window`'s client area.
COLORREF ScreenColor(HWND window, POINT point);

// The bold caption font as the wizard describes it.
HFONT CaptionFont();

}  // namespace wizard
