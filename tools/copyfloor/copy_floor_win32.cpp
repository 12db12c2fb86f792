// copy_floor.exe: the least an installation of a package can cost, for scripts/bench.sh. It
// writes every entry of a package file into a folder as the setup program's copy does, with
// nothing of what the installation checks, logs or protects, and makes the window messages that
// the copying page's design fixes: for each file its line ("File: " and the path) on a label,
// then the file created and written through in 8192-byte blocks and a rest, after each of them
// one position message to a progress bar. The label and the bar belong to another thread, as
// the wizard's belong to its window thread.
//
//   copy_floor.exe PACKAGE TARGET-FOLDER
//
// It prints "copy floor: N ms" (from the first file to the last one closed) and exits 0 when
// every file was written in full.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "folders/byte_count.h"
#include "package/package.h"

namespace {

constexpr uint32_t kBlockSize = 8192;

struct Copy {
  const uint8_t* package;
  uint32_t packageSize;
  const char* target;
  HWND bar;
  HWND label;
  DWORD milliseconds;
  bool complete;
};

uint32_t PackageTotal(const Copy& copy) {
  uint32_t total = 0, offset = 0, next = 0;
  PackageEntry entry;
  for (; ReadPackageEntry(copy.package, copy.packageSize, offset, &entry, &next); offset = next)
    total += entry.size;
  return total;
}

// Makes the folders of `path` below the target folder; `path` is the target folder, a
// backslash and the entry name.
void MakeFolders(char* path, size_t targetLength) {
  for (char* p = path + targetLength + 1; *p; ++p) {
    if (*p != '\\') continue;
    *p = '\0';
    CreateDirectoryA(path, nullptr);
    *p = '\\';
  }
}

bool WriteEntry(const Copy& copy, const PackageEntry& entry, uint32_t total, uint32_t* written) {
  char path[MAX_PATH];
  const size_t targetLength = std::strlen(copy.target);
  if (std::snprintf(path, sizeof path, "%s\\%s", copy.target, entry.name) >= int(sizeof path))
    return false;
  char line[MAX_PATH + 8];
  std::snprintf(line, sizeof line, "File: %s", path);
  SetWindowTextA(copy.label, line);
  if (std::strchr(entry.name, '\\')) MakeFolders(path, targetLength);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool full = true;
  const uint32_t blocks = entry.size / kBlockSize;
  for (uint32_t j = 0; j <= blocks; ++j) {
    const uint32_t length = j < blocks ? kBlockSize : entry.size % kBlockSize;
    DWORD count = 0;
    if (!WriteFile(file, entry.data + size_t(j) * kBlockSize, length, &count, nullptr) ||
        count != length)
      full = false;
    *written += count;
    SendMessageA(copy.bar, PBM_SETPOS, ProgressPercent(*written, total), 0);
  }
  CloseHandle(file);
  return full;
}

DWORD WINAPI CopyThread(LPVOID context) {
  Copy* copy = static_cast<Copy*>(context);
  const uint32_t total = PackageTotal(*copy);
  uint32_t written = 0, offset = 0, next = 0;
  PackageEntry entry;
  copy->complete = true;
  SendMessageA(copy->bar, PBM_SETPOS, 0, 0);
  const DWORD start = GetTickCount();
  for (; ReadPackageEntry(copy->package, copy->packageSize, offset, &entry, &next); offset = next)
    if (!WriteEntry(*copy, entry, total, &written)) copy->complete = false;
  copy->milliseconds = GetTickCount() - start;
  PostMessageA(GetParent(copy->bar), WM_CLOSE, 0, 0);
  return 0;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The package file, mapped read-only; null when it cannot be.
const uint8_t* MapPackage(const char* path, uint32_t* size) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  *size = GetFileSize(file, nullptr);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  CloseHandle(file);
  if (!mapping) return nullptr;
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  CloseHandle(mapping);
  return static_cast<const uint8_t*>(view);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: copy_floor.exe PACKAGE TARGET-FOLDER\n");
    return 2;
  }
  Copy copy = {nullptr, 0, argv[2], nullptr, nullptr, 0, false};
  copy.package = MapPackage(argv[1], &copy.packageSize);
  if (!copy.package) {
    std::fprintf(stderr, "copy_floor: cannot read %s\n", argv[1]);
    return 1;
  }
  CreateDirectoryA(copy.target, nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "copy floor window";
  RegisterClassA(&windowClass);
  // The wizard's window, label and bar sizes.
  HWND window = CreateWindowA(windowClass.lpszClassName, "copy floor",
                              WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
  copy.bar = CreateWindowA(PROGRESS_CLASSA, nullptr, WS_CHILD | WS_VISIBLE, 20, 105, 360, 20,
                           window, nullptr, windowClass.hInstance, nullptr);
  copy.label = CreateWindowA("STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_LEFT, 20, 90, 390, 15,
                             window, nullptr, windowClass.hInstance, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, CopyThread, &copy, 0, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  WaitForSingleObject(thread, INFINITE);
  std::printf("copy floor: %lu ms\n", static_cast<unsigned long>(copy.milliseconds));
  return copy.complete ? 0 : 1;
}
