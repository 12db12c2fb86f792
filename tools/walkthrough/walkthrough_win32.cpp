// walkthrough.exe: walks the wizard of the setup.exe beside it page by page, as a user clicking
// Next would, and saves a picture of the window on each page. The demo and the screenshot
// scripts use it where nobody is at the screen.
//
//   walkthrough.exe OUTPUT-FOLDER [--language N] [--pages LIST] [--setup NAME.exe]
//
// --language N picks entry N of the language list on page 1 first; --pages 1,2 saves only those
// pages (all seven by default) and stops after the last of them; the pictures are
// OUTPUT-FOLDER\pageN.bmp; --setup walks another setup program beside it. It prints how long
// the copying page was shown. The exit status is 0 when every page was reached.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kMainWindowClass[] = "Vorlen installer main window";
enum { kCancelId = 2, kNextId = 101, kLaunchCheckId = 104, kLanguageComboId = 300 };

struct Options {
  const char* folder = nullptr;
  int language = -1;
  bool pages[8] = {false, true, true, true, true, true, true, true};
  int lastPage = 7;
  const char* setup = "setup.exe";
};

struct Search {
  DWORD process;
  int id;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM context) {
  Search* search = reinterpret_cast<Search*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[64];
  if (process == search->process && GetClassNameA(window, name, sizeof name) &&
      std::strcmp(name, kMainWindowClass) == 0 && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindControl(HWND window, LPARAM context) {
  Search* search = reinterpret_cast<Search*>(context);
  if (GetDlgCtrlID(window) == search->id) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForMainWindow(DWORD process) {
  for (int i = 0; i < 600; ++i) {
    Search search{process, 0, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(50);
  }
  return nullptr;
}

HWND Control(HWND main, int id) {
  Search search{0, id, nullptr};
  EnumChildWindows(main, FindControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Saves the window as the screen shows it, title bar included, as a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const char* path) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  GdiFlush();
  const DWORD stride = (DWORD(width) * 3 + 3) & ~3u, size = stride * DWORD(height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + size;
  FILE* out = std::fopen(path, "wb");
  bool written = false;
  if (out) {
    written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, 1, size, out) == size;
    std::fclose(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}

void Capture(HWND main, const Options& options, int page) {
  if (!options.pages[page]) return;
  // The shortcut step opens a folder window; the wizard is brought back in front of it.
  SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  Sleep(page == 6 ? 50 : 700);  // let every control paint; the copying page does not wait
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s\\page%d.bmp", options.folder, page);
  std::printf("page %d: %s\n", page, SaveWindowPicture(main, path) ? path : "not saved");
}

// The page shown: the wizard's panels are the main window's "panel window" children, the
// header band first and then the seven pages in order; the visible page panel tells.
int PageShown(HWND main) {
  int index = 0;  // 0 is the header band
  for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[32];
    if (!GetClassNameA(child, name, sizeof name) || std::strcmp(name, "panel window") != 0)
      continue;
    if (index >= 1 && IsWindowVisible(child)) return index;
    ++index;
  }
  return 0;
}

// Waits until the wizard leaves page `from`; returns the page it went to (0 on a time-out).
// Polls often, so that a short stay on the copying page is still seen; on the copying page
// itself every 10 ms, since each poll asks the wizard's windows through the Wine server and
// would take time from the copy being timed.
int WaitForPageAfter(HWND main, int from) {
  const DWORD start = GetTickCount();
  const DWORD limit = from == 6 ? 600000 : 30000;  // a large payload copies for minutes
  while (GetTickCount() - start < limit) {
    const int page = PageShown(main);
    if (page != from && page != 0) return page;
    Sleep(from == 6 ? 10 : 2);
  }
  return 0;
}

// The folder window that the shortcut step opens, closed as a user would close it: a virtual
// desktop of Wine's stays up as long as any window is open on it.
BOOL CALLBACK CloseFolderWindow(HWND window, LPARAM closed) {
  char name[64];
  if (GetClassNameA(window, name, sizeof name) &&
      (std::strcmp(name, "ExplorerWClass") == 0 || std::strcmp(name, "CabinetWClass") == 0)) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (closed) *reinterpret_cast<bool*>(closed) = true;
  }
  return TRUE;
}

// The folder window opens a moment after the wizard asked for it; waits up to 5 s for it.
void CloseFolderWindowWhenShown() {
  for (int i = 0; i < 50; ++i) {
    bool closed = false;
    EnumWindows(CloseFolderWindow, reinterpret_cast<LPARAM>(&closed));
    if (closed) break;
    Sleep(100);
  }
  Sleep(300);
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--language") == 0 && i + 1 < argc) {
      options->language = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--pages") == 0 && i + 1 < argc) {
      std::memset(options->pages, 0, sizeof options->pages);
      options->lastPage = 1;
      for (const char* p = argv[++i]; *p; ++p) {
        if (*p >= '1' && *p <= '7') {
          options->pages[*p - '0'] = true;
          if (*p - '0' > options->lastPage) options->lastPage = *p - '0';
        }
      }
    } else if (std::strcmp(argv[i], "--setup") == 0 && i + 1 < argc) {
      options->setup = argv[++i];
    } else if (!options->folder) {
      options->folder = argv[i];
    } else {
      return false;
    }
  }
  return options->folder != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: walkthrough.exe OUTPUT-FOLDER [--language N] [--pages LIST]\n");
    return 2;
  }
  char setup[MAX_PATH];
  GetModuleFileNameA(nullptr, setup, sizeof setup);
  std::snprintf(std::strrchr(setup, '\\') + 1, MAX_PATH - (std::strrchr(setup, '\\') + 1 - setup),
                "%s", options.setup);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(setup, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "walkthrough: cannot start %s\n", setup);
    return 1;
  }
  HWND main = WaitForMainWindow(process.dwProcessId);
  if (!main) return 1;
  if (options.language >= 0) {
    HWND combo = Control(main, kLanguageComboId);
    SendMessageA(combo, CB_SETCURSEL, options.language, 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(kLanguageComboId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  }
  int page = 1;
  DWORD copyStart = 0;
  while (page >= 1) {
    Capture(main, options, page);
    if (page >= options.lastPage) break;
    // The copying page moves on by itself; every other page by Next.
    if (page != 6) PostMessageA(Control(main, kNextId), BM_CLICK, 0, 0);
    const int from = page;
    page = WaitForPageAfter(main, page);
    if (page == 6 || (from == 5 && page == 7)) copyStart = GetTickCount();
    // The clock stops as the last page shows; the folder window comes after it.
    if (page == 7 && copyStart)
      std::printf("copying page shown for %lu ms\n", GetTickCount() - copyStart);
    if (page == 7) CloseFolderWindowWhenShown();  // it opens over the wizard
  }
  // Leave without starting the product: Finish with the launch box cleared, or close.
  if (page == 7) {
    SendMessageA(Control(main, kLaunchCheckId), BM_SETCHECK, BST_UNCHECKED, 0);
    PostMessageA(Control(main, kCancelId), BM_CLICK, 0, 0);
  } else {
    PostMessageA(main, WM_CLOSE, 0, 0);
  }
  WaitForSingleObject(process.hProcess, 10000);
  EnumWindows(CloseFolderWindow, 0);
  return page >= options.lastPage ? 0 : 1;
}
