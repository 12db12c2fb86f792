// The control factories and the "panel window" class, for Windows.
#include "ui/controls_win32.h"

#include <commctrl.h>

#include "app/wizard_win32.h"
#include "folders/drive_selector_win32.h"
#include "folders/folder_picker_win32.h"
#include "ui/thunked_calls_win32.h"

HFONT DefaultFont;
HFONT BoldFont;

namespace {

const char kPanelClass[] = "panel window";

HFONT GetBoldFont() {
  if (!BoldFont) {
    LOGFONTA description = {};
    description.lfHeight = 8;
    description.lfWeight = FW_BOLD;
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(description.lfFaceName, "MS Sans Serif");
    BoldFont = CreateFontIndirectA(&description);  // a failure is retried by the next label
  }
  return BoldFont;
}

HWND CreateChild(HINSTANCE instance, HWND parent, const char* windowClass, const char* text,
                 DWORD exStyle, DWORD style, int x, int y, int width, int height, INT_PTR id,
                 HFONT font) {
  HWND control = CreateWindowExA(exStyle, windowClass, text, style, x, y, width, height, parent,
                                 reinterpret_cast<HMENU>(id), instance, nullptr);
  if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return control;
}

void RegisterPanelClass(HINSTANCE instance) {
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kPanelClass, &existing)) return;
  WNDCLASSA panelClass = {};
  panelClass.style = CS_HREDRAW | CS_VREDRAW;
  panelClass.lpfnWndProc = PanelWindowProc;
  panelClass.hInstance = instance;
  panelClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  panelClass.lpszClassName = kPanelClass;
  RegisterClassA(&panelClass);
}

// A panel's brush rides in its child-window identifier, where CreatePanel put it.
HBRUSH PanelBrush(HWND panel) {
  return reinterpret_cast<HBRUSH>(GetMenu(panel));
}

LRESULT OnEraseBackground(HWND panel, HDC dc) {
  RECT client;
  GetClientRect(panel, &client);
  FillRect(dc, &client, PanelBrush(panel));
  return 1;
}

// The text colour that goes with a panel's brush: the header band is painted with the window
// colour, the pages with the button face.
COLORREF TextColorOn(HBRUSH brush) {
  return GetSysColor(brush == GetSysColorBrush(COLOR_WINDOW) ? COLOR_WINDOWTEXT : COLOR_BTNTEXT);
}

// A panel that lends its background to a control lends the matching text colour too: in a
// high-contrast scheme the default text colour can be the background's own. A disabled control
// keeps the grey it chose for itself.
LRESULT OnColorStatic(HWND panel, HDC dc, HWND control) {
  HBRUSH brush = PanelBrush(panel);
  LOGBRUSH description;
  if (GetObjectA(brush, sizeof description, &description)) SetBkColor(dc, description.lbColor);
  if (IsWindowEnabled(control)) SetTextColor(dc, TextColorOn(brush));
  return reinterpret_cast<LRESULT>(brush);
}

// A multi-line edit in a dialog asks its parent for the next tab stop on Tab, and to close on
// Esc: the licence viewer does so here. Tab moves on through the whole wizard, and Esc is the
// id-2 button, confirmation and all; the panel is never destroyed.
void OnNextControl(WPARAM previous) {
  if (HWND next = GetNextDlgTabItem(mainWindow, GetFocus(), previous != 0)) SetFocus(next);
}

LRESULT OnDrawItem(const DRAWITEMSTRUCT* item) {
  switch (item->CtlID) {
    case kInstallFolderListId:
    case kShortcutFolderListId:
      DrawFolderItem(item);
      return TRUE;
    case kDriveSelectorId:
      DrawDriveItem(item);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

HFONT GetDefaultFont() {
  if (!DefaultFont) DefaultFont = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
  return DefaultFont;
}

LRESULT CALLBACK PanelWindowProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return OnEraseBackground(panel, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC:
      return OnColorStatic(panel, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 15;
      return TRUE;
    case WM_DRAWITEM:
      return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
      return SendMessageA(mainWindow, WM_COMMAND, wParam, lParam);
    case WM_NEXTDLGCTL:
      OnNextControl(wParam);
      return 0;
    case WM_CLOSE:
      return SendMessageA(mainWindow, WM_COMMAND, kCancelButtonId,
                          reinterpret_cast<LPARAM>(cancelButton));
  }
  return DefWindowProcA(panel, message, wParam, lParam);
}

HWND CreatePanel(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                 HBRUSH brush) {
  RegisterPanelClass(instance);
  // A control parent: the dialog keys of the message loop walk into the panel's controls.
  return CreateChild(instance, parent, kPanelClass, nullptr, WS_EX_CONTROLPARENT,
                     WS_CHILD | WS_VISIBLE, x, y, width, height, reinterpret_cast<INT_PTR>(brush),
                     nullptr);
}

HWND CreateLabel(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                 const char* text) {
  return CreateChild(instance, parent, "STATIC", text, 0, WS_CHILD | WS_VISIBLE | SS_LEFT, x, y,
                     width, height, 0, GetDefaultFont());
}

HWND CreateBoldLabel(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                     const char* text) {
  return CreateChild(instance, parent, "STATIC", text, 0, WS_CHILD | WS_VISIBLE | SS_NOTIFY, x, y,
                     width, height, 0, GetBoldFont());
}

HWND CreateProgressBar(HINSTANCE instance, HWND parent, int x, int y, int width, int height) {
  HWND bar = CreateChild(instance, parent, PROGRESS_CLASSA, nullptr, 0, WS_CHILD | WS_VISIBLE, x, y,
                         width, height, 0, nullptr);
  SendMessageA(bar, PBM_SETPOS, 50, 0);  // a new bar shows half full until the copy starts
  return bar;
}

HWND CreatePushButton(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                      const char* text, int id, int isDefault) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : 0);
  return CreateChild(instance, parent, "BUTTON", text, 0, style, x, y, width, height, id,
                     GetDefaultFont());
}

HWND CreateSeparator(HINSTANCE instance, HWND parent, int x, int y, int width) {
  return CreateChild(instance, parent, "STATIC", nullptr, 0, WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ,
                     x, y, width, 1, 0, nullptr);
}

HWND CreateComboBox(HINSTANCE instance, HWND parent, int x, int y, int width, int height, int id) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_HASSTRINGS | CBS_DROPDOWNLIST;
  return CreateChild(instance, parent, "COMBOBOX", nullptr, 0, style, x, y, width, height, id,
                     GetDefaultFont());
}

HWND CreateTextViewer(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                      const char* text) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_WANTRETURN |
                      ES_READONLY | ES_AUTOVSCROLL | ES_MULTILINE;
  return CreateChild(instance, parent, "EDIT", text, WS_EX_CLIENTEDGE, style, x, y, width, height,
                     0, GetDefaultFont());
}

HWND CreateCheckBox(HINSTANCE instance, HWND parent, int x, int y, int width, int height, int id,
                    const char* text, int checked) {
  HWND box = CreateChild(instance, parent, "BUTTON", text, 0,
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, x, y, width, height,
                         id, GetDefaultFont());
  SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  return box;
}

int ComboAddString(HWND combo, const char* text) {
  return int(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

void ComboSetSelection(HWND combo, int index) {
  SendMessageA(combo, CB_SETCURSEL, index, 0);
}

int ComboGetSelection(HWND combo) {
  return int(SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

bool IsChecked(HWND checkBox) {
  return SendMessageA(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
