#include "wizard/screen_compare.h"

#include <vector>

#include "wizard/wizard_harness.h"

namespace wizard {

namespace {

constexpr char kHostClass[] = "wizard test twin host";

// The host lends its colour to its static children, as a wizard panel does.
COLORREF hostColor;
HBRUSH hostBrush;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, hostBrush);
      return 1;
    }
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), hostColor);
      return reinterpret_cast<LRESULT>(hostBrush);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterHost() {
  WNDCLASSA host = {};
  host.lpfnWndProc = HostProc;
  host.hInstance = GetModuleHandleA(nullptr);
  host.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  host.lpszClassName = kHostClass;
  RegisterClassA(&host);
}

// Lets this thread paint its windows and Wine hand the result to the X server.
void PumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  } while (GetTickCount() - start < milliseconds);
}

// The client area of `window` as the screen shows it, one 0x00RRGGBB value per pixel.
std::vector<DWORD> CaptureClient(HWND window, SIZE* size) {
  RECT client;
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  MapWindowPoints(window, nullptr, &origin, 1);
  size->cx = client.right;
  size->cy = client.bottom;
  std::vector<DWORD> pixels(size_t(size->cx) * size_t(size->cy));
  if (pixels.empty()) return pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size->cx;
  info.bmiHeader.biHeight = -size->cy;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, size->cx, size->cy, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const DWORD* source = static_cast<const DWORD*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = source[i] & 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

bool OnScreen(HWND window) {
  RECT place;
  GetWindowRect(window, &place);
  return place.left >= 0 && place.top >= 0 && place.right <= GetSystemMetrics(SM_CXSCREEN) &&
         place.bottom <= GetSystemMetrics(SM_CYSCREEN);
}

// The parts of the screen where `control` cannot show itself, in screen coordinates: outside
// its parent's client area (a control may reach past the panel's edge) and under its visible
// siblings (some controls overlap, and siblings do not clip each other).
std::vector<RECT> CoveredParts(HWND control) {
  std::vector<RECT> covered;
  HWND parent = GetParent(control);
  RECT client;
  GetClientRect(parent, &client);
  MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const LONG kFar = 100000;
  covered.push_back({-kFar, -kFar, kFar, client.top});
  covered.push_back({-kFar, client.bottom, kFar, kFar});
  covered.push_back({-kFar, -kFar, client.left, kFar});
  covered.push_back({client.right, -kFar, kFar, kFar});
  for (HWND sibling = GetWindow(parent, GW_CHILD); sibling;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling == control || !IsWindowVisible(sibling)) continue;
    RECT place;
    GetWindowRect(sibling, &place);
    covered.push_back(place);
  }
  return covered;
}

bool IsCovered(const std::vector<RECT>& covered, POINT point) {
  for (const RECT& part : covered)
    if (PtInRect(&part, point)) return true;
  return false;
}

// A twin of `control`, shown in a host window of its own at the far corner of the screen.
HWND MakeTwin(HWND host, HWND control, const Twin& twin) {
  RECT client;
  GetWindowRect(control, &client);
  const std::wstring text = Text(control);
  const bool isCombo = lstrcmpiA(twin.windowClass, "COMBOBOX") == 0;
  HWND made = CreateWindowExW(twin.exStyle, Widen(twin.windowClass).c_str(),
                              isCombo ? nullptr : text.c_str(), twin.style | WS_CHILD | WS_VISIBLE,
                              0, 0, client.right - client.left,
                              twin.height ? twin.height : client.bottom - client.top, host, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (twin.font) SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(twin.font), FALSE);
  if (twin.checked) SendMessageW(made, BM_SETCHECK, BST_CHECKED, 0);
  if (isCombo) {
    SendMessageW(made, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(made, CB_SETCURSEL, 0, 0);
  }
  return made;
}

}  // namespace

int PixelsDifferingFromTwin(HWND control, const Twin& twin) {
  if (!OnScreen(control)) return -1;
  static const bool registered = (RegisterHost(), true);
  (void)registered;
  hostColor = twin.background;
  hostBrush = CreateSolidBrush(twin.background);
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  // Far from the wizard, which the system places at the top left, and never activated.
  HWND host =
      CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kHostClass, "", WS_POPUP, width - 420,
                      height - 320, 420, 320, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND made = MakeTwin(host, control, twin);
  ShowWindow(host, SW_SHOWNOACTIVATE);
  UpdateWindow(host);
  PumpMessages(150);
  Settle(control);
  SIZE expectedSize, shownSize;
  const std::vector<DWORD> expected = CaptureClient(made, &expectedSize);
  const std::vector<DWORD> shown = CaptureClient(control, &shownSize);
  DestroyWindow(host);
  DeleteObject(hostBrush);
  if (expectedSize.cx != shownSize.cx || expectedSize.cy != shownSize.cy) return -1;
  const std::vector<RECT> covered = CoveredParts(control);
  POINT origin = {0, 0};
  MapWindowPoints(control, nullptr, &origin, 1);
  int differing = 0;
  for (int y = 0; y < shownSize.cy; ++y) {
    for (int x = 0; x < shownSize.cx; ++x) {
      const size_t i = size_t(y) * size_t(shownSize.cx) + size_t(x);
      if (shown[i] != expected[i] && !IsCovered(covered, {origin.x + x, origin.y + y})) ++differing;
    }
  }
  return differing;
}

int PixelsUnlike(HWND window, COLORREF color) {
  SIZE size;
  const DWORD shownAs = DWORD(GetRValue(color)) << 16 | GetGValue(color) << 8 | GetBValue(color);
  int unlike = 0;
  for (DWORD pixel : CaptureClient(window, &size))
    unlike += pixel != shownAs;
  return unlike;
}

COLORREF ScreenColor(HWND window, POINT point) {
  MapWindowPoints(window, nullptr, &point, 1);
  HDC screen = GetDC(nullptr);
  const COLORREF color = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return color;
}

HFONT CaptionFont() {
  static HFONT font = [] {
    LOGFONTA description = {};
    description.lfHeight = 8;
    description.lfWeight = FW_BOLD;
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(description.lfFaceName, "MS Sans Serif");
    return CreateFontIndirectA(&description);
  }();
  return font;
}

}  // namespace wizard
