// IsFolder, CreateFolderChain and GetSpecialFolder (folders_win32.h) on the Win32 file system
// and shell.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

#include "folders/folders_win32.h"
#include "folders/path_text.h"

bool IsFolder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CreateFolderChain(const char* path) {
  char prefix[kPathBufferSize];
  const int last = LastComponentIndex(path);
  for (int k = 0; k <= last; ++k) {
    PathPrefix(path, k, prefix);
    // A failure (a file in the way, no access, a share root) is passed over: the levels below
    // then fail too, and the caller learns of it when it cannot create a file there.
    if (!IsFolder(prefix)) CreateDirectoryA(prefix, nullptr);
  }
}

bool GetSpecialFolder(int csidl, char* path) {
  LPITEMIDLIST list = nullptr;
  const bool found = SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) &&
                     SHGetPathFromIDListA(list, path);
  if (list) CoTaskMemFree(list);
  if (!found) path[0] = '\0';
  return found;
}
