// quintaxel.exe, the stand-in for the product's program: one main window whose title, text and
// menu come from the section of quintaxel.lng that the installer chose (the registry value
// "language"), with the help pages of that language behind Help, Contents.
//
// Like the installer it fails silently: without its language file or its registry value it
// still opens, in the first language or with empty texts.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "app/dll_search_win32.h"
#include "lang/language.h"
#include "product_language_win32.h"
#include "startup.h"

namespace {

// Tests find the window by this class and the language's title.
constexpr char kWindowClass[] = "Quintaxel main window";
constexpr char kFallbackTitle[] = "Quintaxel";

enum MenuId { kExitId = 100, kLargeTextId = 200, kContentsId = 300, kAboutId = 301 };

char programPath[MAX_PATH];  // the running executable, empty when its path did not fit
bool largeText = false;
HFONT headingFont = nullptr;
HFONT textFont = nullptr;

// The face and character set of the system's dialog font, at the two text sizes.
HFONT CreateTextFont(LONG height, LONG weight) {
  LOGFONTA font;
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = -height;
  font.lfWidth = 0;
  font.lfWeight = weight;
  font.lfCharSet = DEFAULT_CHARSET;
  return CreateFontIndirectA(&font);
}

void CreateFonts() {
  if (headingFont) DeleteObject(headingFont);
  if (textFont) DeleteObject(textFont);
  headingFont = CreateTextFont(largeText ? 28 : 20, FW_BOLD);
  textFont = CreateTextFont(largeText ? 18 : 13, FW_NORMAL);
}

HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kExitId, LookupText(kExitItemKey));
  HMENU view = CreatePopupMenu();
  AppendMenuA(view, MF_STRING, kLargeTextId, LookupText(kLargeTextItemKey));
  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, kContentsId, LookupText(kContentsItemKey));
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, kAboutId, LookupText(kAboutItemKey));
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), LookupText(kFileMenuKey));
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), LookupText(kViewMenuKey));
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), LookupText(kHelpMenuKey));
  return bar;
}

// The heading, then the text below it, both wrapped to the window's width.
void PaintWindow(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT area;
  GetClientRect(window, &area);
  InflateRect(&area, -20, -16);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const UINT format = DT_WORDBREAK | DT_NOPREFIX;
  HGDIOBJ oldFont = SelectObject(dc, headingFont);
  RECT heading = area;
  DrawTextA(dc, LookupText(kHeadingKey), -1, &heading, format | DT_CALCRECT);
  DrawTextA(dc, LookupText(kHeadingKey), -1, &heading, format);
  area.top = heading.bottom + 12;
  SelectObject(dc, textFont);
  DrawTextA(dc, LookupText(kTextKey), -1, &area, format);
  SelectObject(dc, oldFont);
  EndPaint(window, &paint);
}

void ToggleLargeText(HWND window) {
  largeText = !largeText;
  CheckMenuItem(GetMenu(window), kLargeTextId, largeText ? MF_CHECKED : MF_UNCHECKED);
  CreateFonts();
  InvalidateRect(window, nullptr, TRUE);
}

// The help pages lie under the program's folder; the shell opens the index page with the
// user's browser.
void OpenHelp(HWND window) {
  const char* index = LookupText(kHelpIndexKey);
  char path[MAX_PATH];
  if (*index && PathBesideModule(path, sizeof path, programPath, index))
    ShellExecuteA(window, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

void RunCommand(HWND window, int id) {
  switch (id) {
    case kExitId:
      DestroyWindow(window);
      break;
    case kLargeTextId:
      ToggleLargeText(window);
      break;
    case kContentsId:
      OpenHelp(window);
      break;
    case kAboutId:
      MessageBoxA(window, LookupText(kAboutTextKey), LookupText(kAboutTitleKey),
                  MB_OK | MB_ICONINFORMATION);
      break;
  }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      RunCommand(window, LOWORD(wParam));
      return 0;
    case WM_PAINT:
      PaintWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;  // the text wraps to the width
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  // Started by setup.exe as administrator, and from folders other users may write to: the
  // libraries the shell loads later come from the system folder only.
  RestrictDllSearch();
  const DWORD length = GetModuleFileNameA(nullptr, programPath, sizeof programPath);
  if (length == 0 || length >= sizeof programPath) programPath[0] = '\0';
  LoadProductLanguage(programPath);
  CreateFonts();
  if (!RegisterMainWindowClass(instance)) return 1;
  const char* title = LookupText(kTitleKey);
  HWND window = CreateWindowExA(0, kWindowClass, *title ? title : kFallbackTitle,
                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 560, 360,
                                nullptr, BuildMenu(), instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return int(message.wParam);
}
