#include "install/installed_state.h"

#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>

#include "package/package.h"
#include "wizard/wizard_harness.h"

namespace install {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaxel";
const char kSettingsKey[] = "Software\\Vorlen Software\\Quintaxel";

namespace {

constexpr char kSettingsParent[] = "Software\\Vorlen Software";

// Wine keeps no creation time of its own: it reports a file's last-write time in its place.
bool UnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

uint64_t Value64(const FILETIME& time) {
  return uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

}  // namespace

// ---- The payload.

std::vector<PayloadEntry> ReadPayload(const std::string& path) {
  const std::string bytes = ReadBytes(path);
  const auto* base = reinterpret_cast<const uint8_t*>(bytes.data());
  std::vector<PayloadEntry> entries;
  PackageEntry entry;
  for (uint32_t offset = 0, next = 0;
       ReadPackageEntry(base, uint32_t(bytes.size()), offset, &entry, &next); offset = next) {
    const auto* data = reinterpret_cast<const char*>(entry.data);
    entries.push_back({std::string(entry.name, entry.nameLength), std::string(data, entry.size),
                       ReadLE64(entry.header->creationTime), ReadLE64(entry.header->lastAccessTime),
                       ReadLE64(entry.header->lastWriteTime)});
  }
  return entries;
}

const std::vector<PayloadEntry>& ShippedPayload() {
  static const auto* entries =
      new std::vector<PayloadEntry>(ReadPayload(wizard::HostPath(QX_PACKAGE_DIR "/payload.pkg")));
  return *entries;
}

// ---- Places.

std::string ProgramFiles() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  return std::string(windows, 3) + "Program Files";
}

std::string ProgramsFolder() {
  return wizard::SpecialFolder(CSIDL_PROGRAMS);
}

std::string DesktopFolder() {
  return wizard::SpecialFolder(CSIDL_DESKTOP);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::string& path) {
  return wizard::ReadFileBytes(path);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// ---- The install log.

std::string FolderLine(const std::string& folder) {
  return folder + "\\\r\n";
}

std::string FileLine(const std::string& file) {
  return file + "\r\n";
}

std::string CopyLines(const std::string& folder, const std::vector<PayloadEntry>& entries,
                      bool folderIsNew, std::set<std::string> existing) {
  std::string lines = folderIsNew ? FolderLine(folder) : "";
  lines += FileLine(folder + "\\install.log");
  for (const PayloadEntry& entry : entries) {
    for (size_t slash = entry.name.find('\\'); slash != std::string::npos;
         slash = entry.name.find('\\', slash + 1)) {
      const std::string ancestor = folder + "\\" + entry.name.substr(0, slash);
      if (existing.insert(ancestor).second) lines += FolderLine(ancestor);
    }
    lines += FileLine(folder + "\\" + entry.name);
  }
  return lines;
}

std::string RegistryLines() {
  std::string lines;
  const std::string uninstall = std::string("[HKEY_LOCAL_MACHINE\\") + kUninstallKey;
  lines += uninstall + "]\r\n";
  lines += uninstall + "\\DisplayName]\r\n";
  lines += uninstall + "\\UninstallString]\r\n";
  for (const char* name :
       {"content", "fullpath", "height", "language", "left", "state", "top", "view", "width"})
    lines += std::string("[HKEY_CURRENT_USER\\") + kSettingsKey + "\\" + name + "]\r\n";
  return lines;
}

// ---- Installed files.

::testing::AssertionResult HasTimesOf(const std::string& path, const PayloadEntry& entry) {
  HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ::testing::AssertionFailure() << path << " is missing";
  FILETIME created, accessed, written;
  const BOOL read = GetFileTime(file, &created, &accessed, &written);
  CloseHandle(file);
  if (!read) return ::testing::AssertionFailure() << "no times for " << path;
  const uint64_t expectedCreation = UnderWine() ? entry.lastWriteTime : entry.creationTime;
  // The desktop draws a desktop shortcut's icon out of the program it starts, as Explorer does,
  // and that read moves the program's last-access time on any file system that keeps one.
  const bool iconSource = lstrcmpiA(entry.name.c_str(), "quintaxel.exe") == 0;
  const bool accessTimeHolds = iconSource ? Value64(accessed) >= entry.lastAccessTime
                                          : Value64(accessed) == entry.lastAccessTime;
  if (Value64(created) != expectedCreation || !accessTimeHolds ||
      Value64(written) != entry.lastWriteTime)
    return ::testing::AssertionFailure()
           << path << " has times " << std::hex << Value64(created) << " " << Value64(accessed)
           << " " << Value64(written) << ", the package " << entry.creationTime << " "
           << entry.lastAccessTime << " " << entry.lastWriteTime;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult InstalledAs(const std::string& path, const PayloadEntry& entry) {
  const ::testing::AssertionResult times = HasTimesOf(path, entry);  // before the read
  if (!times) return times;
  const std::string bytes = ReadBytes(path);
  if (bytes != entry.data)
    return ::testing::AssertionFailure() << path << " holds " << bytes.size()
                                         << " bytes unlike the package's " << entry.data.size();
  return ::testing::AssertionSuccess();
}

// ---- Registry.

RegistryValue ReadRegistryValue(HKEY root, const char* key, const char* name) {
  RegistryValue value = {false, REG_NONE, ""};
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return value;
  DWORD length = 0;
  if (RegQueryValueExA(opened, name, nullptr, &value.type, nullptr, &length) == ERROR_SUCCESS) {
    value.data.resize(length);
    value.present =
        RegQueryValueExA(opened, name, nullptr, &value.type,
                         reinterpret_cast<BYTE*>(&value.data[0]), &length) == ERROR_SUCCESS;
    value.data.resize(length);
  }
  RegCloseKey(opened);
  return value;
}

::testing::AssertionResult IsStringValue(const RegistryValue& value, const std::string& text) {
  if (!value.present) return ::testing::AssertionFailure() << "no value";
  if (value.type != REG_SZ) return ::testing::AssertionFailure() << "type " << value.type;
  if (value.data != text + '\0')
    return ::testing::AssertionFailure() << "data \"" << value.data << "\" (" << value.data.size()
                                         << " bytes), not \"" << text << "\" and its NUL";
  return ::testing::AssertionSuccess();
}

RegistryKeeper::RegistryKeeper() {
  const std::pair<HKEY, const char*> places[] = {{HKEY_LOCAL_MACHINE, kUninstallKey},
                                                 {HKEY_CURRENT_USER, kSettingsKey},
                                                 {HKEY_CURRENT_USER, kSettingsParent}};
  for (const auto& place : places) {
    Key key = {place.first, place.second, false, {}};
    HKEY opened;
    key.existed = RegOpenKeyExA(key.root, key.path.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS;
    if (key.existed) {
      char name[256];
      for (DWORD i = 0, length = sizeof name;
           RegEnumValueA(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
           ++i, length = sizeof name)
        key.values.push_back({name, ReadRegistryValue(key.root, key.path.c_str(), name)});
      RegCloseKey(opened);
    }
    keys_.push_back(key);
  }
}

void RegistryKeeper::Restore() {
  // Deepest first: the settings key before its parent.
  for (const Key& key : keys_) {
    if (!key.existed) {
      RegDeleteKeyA(key.root, key.path.c_str());
      continue;
    }
    HKEY opened;
    if (RegOpenKeyExA(key.root, key.path.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
      RegCreateKeyExA(key.root, key.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                      nullptr);
    // Values the installation added go; values that were there get their old data back.
    char name[256];
    std::vector<std::string> now;
    for (DWORD i = 0, length = sizeof name;
         RegEnumValueA(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
         ++i, length = sizeof name)
      now.push_back(name);
    for (const std::string& value : now)
      RegDeleteValueA(opened, value.c_str());
    for (const auto& value : key.values)
      RegSetValueExA(opened, value.first.c_str(), 0, value.second.type,
                     reinterpret_cast<const BYTE*>(value.second.data.data()),
                     DWORD(value.second.data.size()));
    RegCloseKey(opened);
  }
}

FileKeeper::FileKeeper(const std::string& path)
    : path_(path), existed_(FileExists(path)), bytes_(existed_ ? ReadBytes(path) : "") {}

FileKeeper::~FileKeeper() {
  if (existed_)
    WriteBytes(path_, bytes_);
  else
    DeleteFileA(path_.c_str());
}

// ---- Shortcuts.

ShellLink ReadShellLink(const std::string& file) {
  ShellLink read = {false, "", ""};
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return read;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    const std::wstring wide = wizard::Widen(file);
    if (SUCCEEDED(persist->Load(wide.c_str(), STGM_READ))) {
      char text[MAX_PATH] = "";
      read.loaded = true;
      link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
      read.path = text;
      text[0] = '\0';
      link->GetDescription(text, sizeof text);
      read.description = text;
    }
    persist->Release();
  }
  link->Release();
  return read;
}

std::string InternetShortcutText(const std::string& target) {
  return "[InternetShortcut]\r\nURL=" + target;
}

std::vector<std::string> ShortcutFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// ---- The installed program.

namespace {

BOOL CALLBACK FindProductWindow(HWND window, LPARAM context) {
  if (!IsWindowVisible(window) || wizard::ClassName(window) != "Quintaxel main window") return TRUE;
  *reinterpret_cast<HWND*>(context) = window;
  return FALSE;
}

}  // namespace

namespace {

std::string UnixName(const std::string& path) {
  using UnixFileName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(wizard::Widen(path).c_str()) : nullptr;
  const std::string result = name ? name : "";
  if (name) HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Wine starts a host program but gives no handle of it: the caller waits for its effect.
bool StartHostProgram(std::string line) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process);
}

bool IsLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

::testing::AssertionResult MakeHostLink(const std::string& path, const std::string& target) {
  const std::string link = UnixName(path), to = UnixName(target);
  if (link.empty() || to.empty() ||
      !StartHostProgram("Z:\\bin\\ln -s \"" + to + "\" \"" + link + "\"") ||
      !wizard::WaitUntil([&] { return IsLink(path); }))
    return ::testing::AssertionFailure() << "Wine shows no link at " << path;
  return ::testing::AssertionSuccess();
}

void RemoveHostLink(const std::string& path) {
  if (IsLink(path) && StartHostProgram("Z:\\bin\\rm -f \"" + UnixName(path) + "\""))
    wizard::WaitUntil([&] { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

namespace {

std::string DescriptorText(const std::string& path) {
  const SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  char buffer[4096];
  DWORD size = 0;
  char* text = nullptr;
  if (!GetFileSecurityA(path.c_str(), parts, buffer, sizeof buffer, &size) ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorA(buffer, SDDL_REVISION_1, parts, &text,
                                                            nullptr))
    return "";
  const std::string result = text;
  LocalFree(text);
  return result;
}

}  // namespace

::testing::AssertionResult MoveOnHost(const std::string& from, const std::string& to) {
  const std::string source = UnixName(from), target = UnixName(to);
  if (source.empty() || target.empty() ||
      !StartHostProgram("Z:\\bin\\mv \"" + source + "\" \"" + target + "\"") ||
      !wizard::WaitUntil([&] {
        return GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES &&
               GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES;
      }))
    return ::testing::AssertionFailure() << "the host did not move " << from << " to " << to;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult ChangeOnHost(const std::string& command, const std::string& path) {
  const std::string before = DescriptorText(path), unixName = UnixName(path);
  if (before.empty() || unixName.empty() || !StartHostProgram(command + " \"" + unixName + "\"") ||
      !wizard::WaitUntil([&] { return DescriptorText(path) != before; }))
    return ::testing::AssertionFailure()
           << command << " did not change " << path << " (" << before << ")";
  return ::testing::AssertionSuccess();
}

std::string CurrentFolderOf(HANDLE process) {
  using QueryProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  void* basic[6] = {};  // PROCESS_BASIC_INFORMATION: the PEB's address is the second field
  if (!query || query(process, 0, basic, sizeof basic, nullptr) < 0) return "";
  // In the PEB the process parameters follow 4 flag bytes (padded) and 3 pointers; in those the
  // current folder follows 16 bytes of sizes and flags, the console's handle and flags and the
  // 3 standard handles.
  const size_t p = sizeof(void*);
  char* parameters = nullptr;
  struct {
    USHORT length, maximumLength;
    wchar_t* buffer;
  } folder = {};
  wchar_t text[MAX_PATH] = L"";
  if (!ReadProcessMemory(process, static_cast<char*>(basic[1]) + 4 * p, &parameters, p, nullptr) ||
      !ReadProcessMemory(process, parameters + (p == 8 ? 0x38 : 0x24), &folder, sizeof folder,
                         nullptr) ||
      !ReadProcessMemory(process, folder.buffer, text,
                         std::min<size_t>(folder.length, 2 * MAX_PATH - 2), nullptr))
    return "";
  return wizard::Narrow(text);
}

HWND WaitForProductWindow(DWORD timeoutMs) {
  HWND found = nullptr;
  wizard::WaitUntil(
      [&] {
        EnumWindows(FindProductWindow, reinterpret_cast<LPARAM>(&found));
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

void EndProduct(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (!process) return;
  if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

}  // namespace install
