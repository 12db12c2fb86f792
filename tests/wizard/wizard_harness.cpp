#include "wizard/wizard_harness.h"

#include <shlobj.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "folders/byte_count.h"
#include "lang/language.h"

namespace wizard {

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;
constexpr char kMainWindowClass[] = "Vorlen installer main window";

struct OwnedBoxSearch {
  HWND owner;
  HWND found;
};

bool HasClass(HWND window, const char* name) {
  return ClassName(window) == name;
}

struct ProcessWindowSearch {
  DWORD process;
  const char* windowClass;
  HWND found;
};

BOOL CALLBACK FindProcessWindowOf(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ProcessWindowSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window)) return TRUE;
  if (!HasClass(window, search->windowClass)) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK FindOwnedBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<OwnedBoxSearch*>(context);
  if (GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window)) return TRUE;
  if (!HasClass(window, "#32770")) return TRUE;
  search->found = window;
  return FALSE;
}

struct IdSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindId(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<IdSearch*>(context);
  if (GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

void PostKey(HWND window, UINT key) {
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, key, 1 | scan << 16);
  PostMessageW(window, WM_KEYUP, key, 1 | scan << 16 | 0xC0000000u);
}

}  // namespace

// ---- Reading windows.

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs, &result))
    return 0;
  return LRESULT(result);
}

void Settle(HWND window) {
  Ask(window, WM_NULL);
}

std::wstring Text(HWND window) {
  const LRESULT length = Ask(window, WM_GETTEXTLENGTH);
  std::wstring text(size_t(length) + 1, L'\0');
  const LRESULT copied = Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(size_t(copied));
  return text;
}

std::string ClassName(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

DWORD Style(HWND window) {
  return DWORD(GetWindowLongA(window, GWL_STYLE));
}
DWORD ExStyle(HWND window) {
  return DWORD(GetWindowLongA(window, GWL_EXSTYLE));
}

RECT PlaceInParent(HWND window) {
  RECT place = {};
  GetWindowRect(window, &place);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

bool IsChecked(HWND checkBox) {
  return Ask(checkBox, BM_GETCHECK) == BST_CHECKED;
}

std::vector<Entry> ListEntries(HWND list) {
  std::vector<Entry> entries;
  const int count = int(Ask(list, LB_GETCOUNT));
  for (int i = 0; i < count; ++i) {
    // A list refilled while it is read answers LB_ERR for an entry that has gone.
    const LRESULT length = Ask(list, LB_GETTEXTLEN, i);
    if (length < 0) break;
    std::wstring text(size_t(length) + 1, L'\0');
    const LRESULT copied = Ask(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
    if (copied < 0 || copied > length) break;
    text.resize(size_t(copied));
    entries.push_back({text, DWORD(Ask(list, LB_GETITEMDATA, i))});
  }
  return entries;
}

std::vector<Entry> ComboEntries(HWND combo) {
  std::vector<Entry> entries;
  const int count = int(Ask(combo, CB_GETCOUNT));
  for (int i = 0; i < count; ++i) {
    std::wstring text(size_t(Ask(combo, CB_GETLBTEXTLEN, i)) + 1, L'\0');
    text.resize(size_t(Ask(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]))));
    entries.push_back({text, DWORD(Ask(combo, CB_GETITEMDATA, i))});
  }
  return entries;
}

HWND FindProcessWindow(DWORD process, const char* windowClass) {
  ProcessWindowSearch search = {process, windowClass, nullptr};
  EnumWindows(FindProcessWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool AnswerBox(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  if (!button) return false;
  PostMessageW(button, BM_CLICK, 0, 0);
  return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

namespace {

// A wait's deadline has to hold even when a window call of its condition never returns: once
// Wine's desktop stops answering, every window call of every program in the session waits for
// it. A watchdog thread ends the whole test program, saying so, when a wait has run that long
// past its deadline; cmake/wine-run.sh then names the session's processes and where they wait.
constexpr DWORD kStallGraceMs = 60000;
constexpr UINT kStalledExitCode = 86;

volatile LONG waitStart = 0;  // GetTickCount() when the watched wait began; 0 while none runs
volatile LONG waitLimit = 0;  // how long it may take in all, grace included

DWORD WINAPI WatchWaits(void*) {
  for (;;) {
    Sleep(1000);
    const DWORD start = DWORD(InterlockedCompareExchange(&waitStart, 0, 0));
    const DWORD limit = DWORD(InterlockedCompareExchange(&waitLimit, 0, 0));
    if (start == 0 || GetTickCount() - start <= limit) continue;
    std::printf(
        "\n[  STALLED ] a window call has not returned in a wait of %lu ms, %lu s past its "
        "deadline: the Wine desktop does not answer, and every program that makes windows "
        "waits for it\n",
        static_cast<unsigned long>(limit - kStallGraceMs),
        static_cast<unsigned long>(kStallGraceMs / 1000));
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), kStalledExitCode);
  }
}

// Puts a wait under the watchdog for its lifetime; a nested wait is watched in its place.
class WatchedWait {
 public:
  explicit WatchedWait(DWORD timeoutMs) {
    static const HANDLE watchdog = CreateThread(nullptr, 0, WatchWaits, nullptr, 0, nullptr);
    (void)watchdog;
    outerStart_ = InterlockedExchange(&waitStart, 0);
    outerLimit_ = InterlockedExchange(&waitLimit, LONG(timeoutMs + kStallGraceMs));
    const DWORD now = GetTickCount();
    InterlockedExchange(&waitStart, LONG(now ? now : 1));
  }
  ~WatchedWait() {
    InterlockedExchange(&waitStart, 0);
    InterlockedExchange(&waitLimit, outerLimit_);
    InterlockedExchange(&waitStart, outerStart_);
  }
  WatchedWait(const WatchedWait&) = delete;
  WatchedWait& operator=(const WatchedWait&) = delete;

 private:
  LONG outerStart_, outerLimit_;
};

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const WatchedWait watched(timeoutMs);
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    Sleep(20);
  }
  return true;
}

// ---- Text helpers.

std::wstring Widen(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return L"";
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  std::wstring text(size_t(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), &text[0], length);
  return text;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return "";
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size_t(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &bytes[0], length, nullptr,
                      nullptr);
  return bytes;
}

std::string HostPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::string ExecutableFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

std::vector<std::string> Subfolders(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const std::string pattern = folder + (folder.back() == '\\' ? "*" : "\\*");
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
      names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

void RemoveTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

void RemoveTree(const std::string& path) {
  RemoveTree(Widen(path));
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

std::string FormatBytes(long long count) {
  char text[16] = "";
  return FormatByteCount(count, text);
}

long long TotalFreeBytes(const std::string& root) {
  ULARGE_INTEGER callerFree, total, totalFree;
  if (!GetDiskFreeSpaceExA(root.c_str(), &callerFree, &total, &totalFree)) return -1;
  return (long long)totalFree.QuadPart;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
  for (const std::wstring& t : texts)
    if (t == text) return true;
  return false;
}

// ---- The setup language file.

SetupTexts::SetupTexts()
    : text_(ReadFileBytes(HostPath(QX_SOURCE_DIR "/data/setup/qxsetup.lng"))) {}

SetupTexts::SetupTexts(const std::string& path) : text_(ReadFileBytes(path)) {}

std::vector<std::string> SetupTexts::Sections() const {
  std::vector<std::string> names;
  const int count = CollectLanguageNames(text_.data(), int(text_.size()));
  for (int i = 0; i < count; ++i)
    names.push_back(LanguageName(i));
  return names;
}

std::string SetupTexts::Value(int section, const char* key) const {
  // The loader keeps one table for the whole process: load the section every time.
  const std::vector<std::string> names = Sections();
  if (section >= int(names.size())) return "";
  LoadLanguageSection(text_.data(), int(text_.size()), names[size_t(section)].c_str());
  return LookupText(key);
}

std::wstring SetupTexts::Shown(int section, const char* key, UINT codePage) const {
  return Widen(Value(section, key), codePage);
}

std::string SetupTexts::License(int section) const {
  return ReadFileBytes(HostPath(QX_SOURCE_DIR "/data/setup/" + Value(section, "license")));
}

// ---- One run of setup.exe.

bool Wizard::Start(std::string* error) {
  return Start("setup.exe", error);
}

bool Wizard::Start(const std::string& programName, std::string* error) {
  const std::string folder = ExecutableFolder();
  const std::string program = folder + "\\" + programName;
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process_)) {
    *error = "cannot start " + program + ", error " + std::to_string(GetLastError());
    return false;
  }
  const bool shown = WaitUntil(
      [&] {
        return (main_ = FindProcessWindow(process_.dwProcessId, kMainWindowClass)) || !Running();
      },
      30000);
  if (!shown || !main_) {
    *error = "setup.exe showed no visible \"" + std::string(kMainWindowClass) + "\" window";
    return false;
  }
  Settle(main_);
  return true;
}

void Wizard::End() {
  if (!process_.hProcess) return;
  if (Running()) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
  process_ = {};
  main_ = nullptr;
}

bool Wizard::Running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Wizard::WaitForExit(DWORD* exitCode, DWORD timeoutMs) {
  if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
    return false;
  GetExitCodeProcess(process_.hProcess, exitCode);
  return true;
}

HWND Wizard::Control(int id) const {
  IdSearch search = {id, nullptr};
  EnumChildWindows(main_, FindId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Wizard::Panel(int page) const {
  // The main window's children in creation order: the header band, the upper separator, the
  // page 1 panel, the lower separator, the page 2 to 7 panels, then the three buttons.
  const std::vector<HWND> children = Children(main_);
  const int index = page == 0 ? 0 : page == 1 ? 2 : page + 2;
  return index < int(children.size()) ? children[size_t(index)] : nullptr;
}

int Wizard::VisiblePage() const {
  int shown = 0;
  for (int page = 1; page <= kPageCount; ++page) {
    if (!IsWindowVisible(Panel(page))) continue;
    if (shown) return 0;
    shown = page;
  }
  return shown;
}

bool Wizard::WaitForPage(int n, const std::wstring& cancelText) {
  HWND cancel = Control(kCancelId);
  if (!WaitUntil([&] { return VisiblePage() == n && Text(cancel) == cancelText; })) return false;
  Settle(main_);
  // The last page is switched to by the installation worker, whose switch goes on between the
  // wizard's messages: give its last two steps (the page number, the Back state) time to pass.
  if (n == kPageCount) Sleep(300);
  return true;
}

HWND Wizard::Focus() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(process_.dwThreadId, &info);
  return info.hwndFocus ? info.hwndFocus : main_;
}

std::string Wizard::DescribeFocus() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(process_.dwThreadId, &info);
  HWND foreground = GetForegroundWindow();
  DWORD foregroundProcess = 0;
  GetWindowThreadProcessId(foreground, &foregroundProcess);
  char text[400];
  wsprintfA(text, "focus %s (id %d), active %s, foreground %s of process %lu (setup is %lu)",
            ClassName(info.hwndFocus).c_str(), GetDlgCtrlID(info.hwndFocus),
            ClassName(info.hwndActive).c_str(), ClassName(foreground).c_str(),
            foregroundProcess, process_.dwProcessId);
  return text;
}

void Wizard::PressKey(UINT key) const {
  PostKey(Focus(), key);
}

void Wizard::ClickListEntry(HWND list, int index, bool doubleClick) const {
  RECT client = {}, item = {};
  GetClientRect(list, &client);
  Ask(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  if (item.top < client.top || item.bottom > client.bottom) {
    // Scrolled out of view: scroll it to the top, as the user would with the scroll bar.
    Ask(list, LB_SETTOPINDEX, index);
    Ask(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  }
  const LPARAM point = MAKELPARAM(item.left + 20, (item.top + item.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageW(list, WM_LBUTTONUP, 0, point);
  if (doubleClick) {
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    PostMessageW(list, WM_LBUTTONUP, 0, point);
  }
  Settle(list);
}

void Wizard::ComboDown(HWND combo) const {
  PostKey(combo, VK_DOWN);
}

void Wizard::SetEditText(HWND edit, const std::wstring& text) const {
  Ask(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Wizard::Type(HWND edit, const std::wstring& text) const {
  for (wchar_t c : text)
    PostMessageW(edit, WM_CHAR, c, 1);
  Settle(edit);
}

HWND Wizard::Confirmation() const {
  OwnedBoxSearch search = {main_, nullptr};
  EnumWindows(FindOwnedBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Wizard::WaitForConfirmation(DWORD timeoutMs) const {
  HWND box = nullptr;
  WaitUntil([&] { return (box = Confirmation()) != nullptr; }, timeoutMs);
  if (box) Settle(box);
  return box;
}

bool Wizard::Answer(HWND box, int id) const {
  return AnswerBox(box, id);
}

namespace {

BOOL CALLBACK CollectFolderWindow(HWND window, LPARAM context) {
  const std::string name = ClassName(window);
  if (IsWindowVisible(window) &&
      (name == "CabinetWClass" || name == "ExploreWClass" || name == "ExplorerWClass"))
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

std::vector<HWND> FolderWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectFolderWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

}  // namespace

bool FolderWindowShows(DWORD appearMs) {
  return WaitUntil([] { return !FolderWindows().empty(); }, appearMs);
}

void CloseFolderWindows(DWORD appearMs) {
  WaitUntil([] { return !FolderWindows().empty(); }, appearMs);
  for (HWND window : FolderWindows())
    PostMessageW(window, WM_CLOSE, 0, 0);
  WaitUntil([] { return FolderWindows().empty(); }, 5000);
}

// ---- A fixed drive through Wine's mount manager.

namespace {

// Wine's own extension of the mount manager (the request that winecfg's drive page makes).
struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};
static_assert(sizeof(UnixDriveRequest) == 32, "the layout of Wine's mountmgr_unix_drive");
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(0x6d /* 'm' */, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Maps `letter` on to `unixFolder` as a fixed drive, or removes it when the folder is empty.
bool DefineUnixDrive(char letter, const std::string& unixFolder) {
  HANDLE manager =
      CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(sizeof(UnixDriveRequest) + unixFolder.size() + 1, '\0');
  auto* request = reinterpret_cast<UnixDriveRequest*>(buffer.data());
  request->size = ULONG(buffer.size());
  request->letter = WCHAR(letter);
  request->type = unixFolder.empty() ? DRIVE_NO_ROOT_DIR : DRIVE_FIXED;
  if (!unixFolder.empty()) {
    request->mountPointOffset = USHORT(sizeof(UnixDriveRequest));
    std::memcpy(buffer.data() + sizeof(UnixDriveRequest), unixFolder.c_str(), unixFolder.size());
  }
  DWORD returned = 0;
  const BOOL done = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), DWORD(buffer.size()),
                                    nullptr, 0, &returned, nullptr);
  CloseHandle(manager);
  return done != FALSE;
}

}  // namespace

ExtraDrive::ExtraDrive(const std::string& unixFolder) {
  CreateDirectoryA(HostPath(unixFolder).c_str(), nullptr);
  const DWORD present = GetLogicalDrives();
  for (char letter = 'd'; letter <= 'y'; ++letter) {
    if (present & (1u << (letter - 'a'))) continue;
    const std::string root = std::string(1, letter) + ":\\";
    if (DefineUnixDrive(letter, unixFolder) && GetDriveTypeA(root.c_str()) == DRIVE_FIXED)
      letter_ = letter;
    else
      DefineUnixDrive(letter, "");
    return;
  }
}

ExtraDrive::~ExtraDrive() {
  if (letter_) DefineUnixDrive(letter_, "");
}

}  // namespace wizard
