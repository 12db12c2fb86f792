// The check-and-hold of a place (place_win32.h) on the Win32 file system.
#include "folders/place_win32.h"

#include <cstring>

#include "folders/code_page.h"
#include "ui/thunked_calls_win32.h"

namespace {

// Opened for listing, because an open for attributes alone takes no part in sharing checks:
// only then does leaving out write and delete sharing keep others from changing the folder.
// The reparse-point flag opens a link as itself, and the backup flag lets a folder be opened at
// all.
HANDLE OpenFolderAsItself(const char* path) {
  return CreateFileA(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                     nullptr);
}

bool IsPlainFolderAttributes(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Judged by the open handle: what was checked is what is held. The path is asked as well,
// while the handle is open, because Wine opens a link's target even when asked to open the link
// and then reports the target; only its path shows the link.
bool IsPlainFolderHandle(HANDLE handle, const char* path) {
  DWORD attributes = 0;
  return ReadHandleAttributes(handle, &attributes, nullptr) &&
         IsPlainFolderAttributes(attributes) && IsPlainFolderAttributes(GetFileAttributesA(path));
}

// Holds every folder of `folder` whose path ends at a backslash after `placeLength` bytes, and
// `folder` itself; with `withPlace`, the first `placeLength` bytes as a folder too.
bool HoldChain(const char* place, const char* folder, bool withPlace, HeldFolders* held) {
  const size_t placeLength = std::strlen(place), length = std::strlen(folder);
  if (length >= size_t(kPathBufferSize) || std::memcmp(folder, place, placeLength) != 0 ||
      (folder[placeLength] != '\\' && folder[placeLength] != '\0'))
    return false;
  char prefix[kPathBufferSize];
  std::memcpy(prefix, folder, length + 1);
  // Steps over characters of the system code page, as every other path walk does: the second
  // byte of a double-byte character may be that of a backslash, which separates nothing.
  for (size_t at = withPlace ? placeLength : placeLength + 1; at <= length;
       at += folder[at] != '\0' ? CharacterLength(folder + at) : 1) {
    if (folder[at] != '\\' && folder[at] != '\0') continue;
    prefix[at] = '\0';
    const bool heldOne = HoldPlainFolder(prefix, held);
    prefix[at] = folder[at];
    if (!heldOne) return false;
  }
  return true;
}

}  // namespace

bool HoldPlainFolder(const char* path, HeldFolders* held) {
  const int capacity = int(sizeof held->handles / sizeof held->handles[0]);
  // "X:" alone names the current folder of that drive, not the root.
  if (held->count >= capacity || (path[0] != '\0' && path[1] == ':' && path[2] == '\0'))
    return false;
  const HANDLE handle = OpenFolderAsItself(path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  if (!IsPlainFolderHandle(handle, path)) {
    CloseHandle(handle);
    return false;
  }
  held->handles[held->count++] = handle;
  return true;
}

bool HoldPlainChain(const char* place, const char* folder, HeldFolders* held) {
  return HoldChain(place, folder, true, held);
}

bool HoldPlainChainBelow(const char* place, const char* folder, HeldFolders* held) {
  return HoldChain(place, folder, false, held);
}

void ReleaseFolders(HeldFolders* held) {
  ReleaseFoldersAfter(held, 0);
}

void ReleaseFoldersAfter(HeldFolders* held, int count) {
  while (held->count > count)
    CloseHandle(held->handles[--held->count]);
}

typedef BOOL(WINAPI* FileInformationFunction)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

bool ReadHandleAttributes(HANDLE handle, DWORD* attributes, DWORD* links) {
  // Windows before Vista lacks it.
  const auto query = KernelFunction<FileInformationFunction>("GetFileInformationByHandleEx");
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  BY_HANDLE_FILE_INFORMATION info;
  if (!query) {
    if (!GetFileInformationByHandle(handle, &info)) return false;
    basic.FileAttributes = info.dwFileAttributes;
    standard.NumberOfLinks = info.nNumberOfLinks;
  } else if (!query(handle, FileBasicInfo, &basic, sizeof basic) ||
             (links && !query(handle, FileStandardInfo, &standard, sizeof standard))) {
    return false;
  }
  *attributes = basic.FileAttributes;
  if (links) *links = standard.NumberOfLinks;
  return true;
}

FARPROC KernelProcedure(const char* name) {
  return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

FileIdentity IdentityOfPath(const char* path) {
  FileIdentity identity = {};
  const HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return identity;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(file, &info)) identity = IdentityOf(info);
  CloseHandle(file);
  return identity;
}
