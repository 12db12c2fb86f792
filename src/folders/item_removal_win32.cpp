// Removal of one item through its own handle, and file identity (item_removal_win32.h), on the
// Win32 file system.
#include "folders/item_removal_win32.h"

#include "folders/place_win32.h"
#include "ui/thunked_calls_win32.h"

namespace {

typedef BOOL(WINAPI* SetFileInformationFunction)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// Bound at run time, for Windows before Vista lacks it: there nothing is removed, and every item
// is named as left.
bool SetFileInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size) {
  const auto set = KernelFunction<SetFileInformationFunction>("SetFileInformationByHandle");
  return set && set(file, kind, info, size);
}

// The read-only flag of the open file cleared, for deleting it. Zero times are left as they
// are, and so are all-zero attributes, so "normal" stands for none.
bool ClearReadOnly(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformation(file, FileBasicInfo, &basic, sizeof basic);
}

// Asked again through the same handle, never by the path: what is deleted is what was checked.
bool MarkForDeletion(HANDLE file, int attempts) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  while (!SetFileInformation(file, FileDispositionInfo, &disposition, sizeof disposition)) {
    if (--attempts <= 0) return false;
    Sleep(100);
  }
  return true;
}

// The open item is what the rule asks for, and no link: by its handle, and by its path as well,
// which alone shows a link under Wine.
bool IsPlainItem(const BY_HANDLE_FILE_INFORMATION& info, const char* path, bool folder) {
  const DWORD both[] = {info.dwFileAttributes, GetFileAttributesA(path)};
  for (const DWORD attributes : both)
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return false;
  return true;
}

}  // namespace

// Opened without sharing write or delete access, so that nobody can change, rename or replace
// the item between the checks and its removal; the reparse-point flag opens a link as itself.
Removal RemoveItem(const char* path, const ItemRule& rule) {
  const HANDLE item = CreateFileA(
      path, GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (item == INVALID_HANDLE_VALUE) return IsGone(GetLastError()) ? kWasGone : kLeft;
  BY_HANDLE_FILE_INFORMATION info;
  bool removed = GetFileInformationByHandle(item, &info) && IsPlainItem(info, path, rule.folder);
  if (removed && rule.isWanted && !rule.isWanted(item, info, rule.context)) {
    CloseHandle(item);
    return kOthers;
  }
  // A read-only file of more than one name keeps its flag: the flag is the file's, and so the
  // other name's too.
  if (removed && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
    removed = info.nNumberOfLinks == 1 && ClearReadOnly(item, info.dwFileAttributes);
  removed = removed && MarkForDeletion(item, rule.attempts);
  CloseHandle(item);
  return removed ? kRemoved : kLeft;
}
