#include "uninstall/system_state.h"

#include <cstdio>

#include "wizard/wizard_harness.h"

namespace uninstall_test {

namespace {

constexpr wchar_t kDriveRoot[] = L"C:";

// What Wine itself changes meanwhile, left out. Its user32 keeps the system parameters of the
// running session in volatile keys of its own, made when a program first asks for them.
const wchar_t* const kWinesOwnKeys[] = {L"Software\\Wine\\Temporary System Parameters"};

bool IsWinesOwnKey(const std::wstring& path) {
  for (const wchar_t* key : kWinesOwnKeys)
    if (lstrcmpiW(path.c_str(), key) == 0) return true;
  return false;
}

std::wstring FileLine(const std::wstring& path, const WIN32_FIND_DATAW& found) {
  const unsigned long long size =
      (unsigned long long)found.nFileSizeHigh << 32 | found.nFileSizeLow;
  const unsigned long long time = (unsigned long long)found.ftLastWriteTime.dwHighDateTime << 32 |
                                  found.ftLastWriteTime.dwLowDateTime;
  return L"file " + path + L" " + std::to_wstring(size) + L" " + std::to_wstring(time);
}

// A folder's own times change with what is added and taken away inside it, so a folder is
// listed by its name alone.
std::wstring FolderLine(const std::wstring& path) {
  return L"folder " + path + L"\\";
}

void ListFolder(const std::wstring& folder, SystemState* state) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      state->insert(FolderLine(path));
      // A link to another place (Wine maps some of the user's folders so) is not walked into.
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ListFolder(path, state);
    } else {
      state->insert(FileLine(path, found));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

std::wstring Hex(const BYTE* data, DWORD size) {
  std::wstring text;
  wchar_t pair[4];
  for (DWORD i = 0; i < size; ++i) {
    swprintf(pair, 4, L"%02x", data[i]);
    text += pair;
  }
  return text;
}

void ListKey(HKEY root, const std::wstring& rootName, const std::wstring& path,
             SystemState* state) {
  HKEY key;
  if (IsWinesOwnKey(path) || RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return;
  const std::wstring name = rootName + L"\\" + path;
  state->insert(L"key " + name);
  std::vector<BYTE> data;
  for (DWORD i = 0;; ++i) {
    wchar_t value[16384];
    DWORD valueLength = 16384, type = 0, size = 0;
    if (RegEnumValueW(key, i, value, &valueLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      break;
    data.assign(size_t(size) + 1, 0);
    valueLength = 16384;
    RegEnumValueW(key, i, value, &valueLength, nullptr, &type, data.data(), &size);
    state->insert(L"value " + name + L"\\" + value + L" " + std::to_wstring(type) + L" " +
                  Hex(data.data(), size));
  }
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    wchar_t subkey[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    subkeys.push_back(subkey);
  }
  RegCloseKey(key);
  for (const std::wstring& subkey : subkeys)
    ListKey(root, rootName, path + L"\\" + subkey, state);
}

}  // namespace

SystemState TakeSystemState() {
  SystemState state;
  ListFolder(kDriveRoot, &state);
  ListKey(HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE",
          L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", &state);
  ListKey(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", L"Software", &state);
  return state;
}

SystemState ItemsAt(const std::vector<std::wstring>& paths) {
  SystemState items;
  for (const std::wstring& path : paths) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    FindClose(search);
    items.insert(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? FolderLine(path)
                                                                   : FileLine(path, found));
  }
  return items;
}

std::string Differences(const SystemState& expected, const SystemState& actual) {
  std::string text;
  for (const std::wstring& line : actual)
    if (!expected.count(line)) text += "+ " + wizard::Narrow(line) + "\n";
  for (const std::wstring& line : expected)
    if (!actual.count(line)) text += "- " + wizard::Narrow(line) + "\n";
  return text;
}

SystemState Joined(SystemState a, const SystemState& b) {
  a.insert(b.begin(), b.end());
  return a;
}

}  // namespace uninstall_test
