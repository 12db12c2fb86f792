// The drive selector and the free-space label, for Windows.
#include "folders/drive_selector_win32.h"

#include <shellapi.h>

#include "folders/byte_count.h"
#include "ui/common_controls_win32.h"
#include "ui/controls_win32.h"
#include "ui/thunked_calls_win32.h"

namespace {

// Item data: the lower-case drive letter in the low word, its icon index in the high word.
LPARAM DriveItemData(char letter, int icon) {
  return LPARAM(DWORD(BYTE(letter)) | DWORD(icon) << 16);
}

void RootText(char letter, char* root) {
  root[0] = letter;
  root[1] = ':';
  root[2] = '\\';
  root[3] = '\0';
}

char LowerCase(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

void AddDrive(HWND selector, char letter, char target, int* result) {
  char root[4];
  RootText(letter, root);
  SHFILEINFOA info = {};
  SHGetFileInfoA(root, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  const int icon = info.iIcon;
  SHGetFileInfoA(root, 0, &info, sizeof info, SHGFI_DISPLAYNAME);
  const LRESULT index =
      SendMessageA(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(info.szDisplayName));
  if (index == CB_ERR || index == CB_ERRSPACE) return;
  if (letter == target) *result = int(index);
  SendMessageA(selector, CB_SETITEMDATA, index, DriveItemData(letter, icon));
}

// The free space of the whole drive; the label stays empty when the drive cannot tell.
void ShowFreeSpace(const FolderPicker* picker, const char* root) {
  ULARGE_INTEGER callerFree, total, totalFree;
  char text[16] = "";
  if (GetDiskFreeSpaceExA(root, &callerFree, &total, &totalFree))
    FormatByteCount(int64_t(totalFree.QuadPart), text);
  if (picker->freeSpaceLabel) SetWindowTextA(picker->freeSpaceLabel, text);
}

}  // namespace

HWND CreateDriveSelector(HINSTANCE instance, HWND parent, int id, FolderPicker* picker, int x,
                         int y, int width, int height) {
  const DWORD style =
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_HASSTRINGS | CBS_OWNERDRAWFIXED | CBS_DROPDOWNLIST;
  HWND selector = CreateWindowExA(0, "COMBOBOX", nullptr, style, x, y, width, height, parent,
                                  reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
  SendMessageA(selector, WM_SETFONT, reinterpret_cast<WPARAM>(GetDefaultFont()), TRUE);
  GetSystemImageList();
  picker->driveSelector = selector;
  const int index = FillDriveSelector(picker, picker->path);
  SendMessageA(selector, CB_SETCURSEL, index, 0);
  OnDriveChanged(picker, index);
  return selector;
}

int FillDriveSelector(FolderPicker* picker, const char* path) {
  const char target = LowerCase(path[0]);
  int result = 0;
  const DWORD present = GetLogicalDrives();
  // Only a: to y:. Under Wine, z: is the host's whole file system, no place to install to.
  for (int i = 0; i < 25; ++i) {
    if (!(present & (1u << i))) continue;
    char root[4];
    RootText(char('a' + i), root);
    if (GetDriveTypeA(root) == DRIVE_FIXED)
      AddDrive(picker->driveSelector, root[0], target, &result);
  }
  return result;
}

void OnDriveChanged(FolderPicker* picker, int index) {
  const LRESULT data = SendMessageA(picker->driveSelector, CB_GETITEMDATA, index, 0);
  if (data == CB_ERR) {  // no fixed drive at all: nothing to move to, no space to show
    if (picker->freeSpaceLabel) SetWindowTextA(picker->freeSpaceLabel, "");
    return;
  }
  char root[4];
  RootText(char(LOWORD(data)), root);
  if (picker->list) {
    FillFolderList(picker, root);
    ComposePickerPath(picker);
  }
  ShowFreeSpace(picker, root);
}

void DrawDriveItem(const DRAWITEMSTRUCT* item) {
  if (item->itemID == UINT(-1)) return;
  HDC dc = item->hDC;
  char text[MAX_PATH] = "";
  const LRESULT length = SendMessageA(item->hwndItem, CB_GETLBTEXTLEN, item->itemID, 0);
  if (length != CB_ERR && length < LRESULT(sizeof text))
    SendMessageA(item->hwndItem, CB_GETLBTEXT, item->itemID, reinterpret_cast<LPARAM>(text));
  const bool selected = item->itemState & ODS_SELECTED;
  RECT area = item->rcItem;
  if (selected) {
    FillRect(dc, &area, HighlightBrush ? HighlightBrush : GetSysColorBrush(COLOR_ACTIVECAPTION));
    SetBkColor(dc, GetSysColor(COLOR_ACTIVECAPTION));
    SetTextColor(dc, GetSysColor(COLOR_WINDOW));
  } else {
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  }
  const LPARAM data = SendMessageA(item->hwndItem, CB_GETITEMDATA, item->itemID, 0);
  int iconWidth = 0, iconHeight = 0;
  GetListIconSize(GetSystemImageList(), &iconWidth, &iconHeight);
  DrawListIcon(SystemImageList, int(HIWORD(data)), dc, area.left, area.top);
  area.left += iconWidth + 3;
  DrawTextA(dc, text, -1, &area, DT_PATH_ELLIPSIS);
  if (selected) DrawFocusRect(dc, &item->rcItem);
}
