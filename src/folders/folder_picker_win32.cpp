// The folder tree list and its path edit, for Windows.
#include "folders/folder_picker_win32.h"

#include <shellapi.h>

#include "folders/code_page.h"
#include "folders/path_form.h"
#include "folders/path_text.h"
#include "ui/common_controls_win32.h"
#include "ui/controls_win32.h"
#include "ui/thunked_calls_win32.h"

FolderPicker installPicker;
FolderPicker shortcutPicker;
HIMAGELIST SystemImageList;
HBRUSH HighlightBrush;

namespace {

// Item data: the depth in the low word, the icon index in the high word.
LPARAM ItemData(int depth, int icon) {
  return LPARAM(DWORD(depth & 0xFFFF) | DWORD(icon) << 16);
}
int ItemDepth(LPARAM data) {
  return int(LOWORD(data));
}
unsigned ItemIcon(LPARAM data) {
  return HIWORD(data);
}

int ShellIcon(const char* path, UINT flags) {
  SHFILEINFOA info = {};
  info.iIcon = -1;
  SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | flags);
  return info.iIcon;
}

bool Added(LRESULT index) {
  return index != LB_ERR && index != LB_ERRSPACE;
}

void AddEntry(HWND list, const char* text, int depth, const char* iconPath, UINT iconFlags) {
  const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  if (!Added(index)) return;
  SendMessageA(list, LB_SETITEMDATA, index, ItemData(depth, ShellIcon(iconPath, iconFlags)));
}

// Appends `text` to the path in `buffer` (260 bytes); false, leaving the buffer cut, when the
// result would not fit.
bool Append(char* buffer, const char* text) {
  const size_t used = lstrlenA(buffer);
  return BoundedCopy(buffer + used, text, kPathBufferSize - used) < kPathBufferSize - used;
}

bool EndsWithSeparator(const char* text) {
  return EndsWithCharacter(text, '\\');  // not the second byte of a character such as 表
}

// Joins `folder`, a separator unless it ends with one, and `name`; false when it does not fit.
bool JoinPath(char* out, const char* folder, const char* name) {
  if (BoundedCopy(out, folder, kPathBufferSize) >= size_t(kPathBufferSize)) return false;
  return (EndsWithSeparator(out) || Append(out, "\\")) && Append(out, name);
}

void AddSubfolders(HWND list, const char* path, int depth) {
  char pattern[kPathBufferSize];
  if (!JoinPath(pattern, path, "*")) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const char* name = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0) continue;
    char folder[kPathBufferSize];
    AddEntry(list, name, depth, JoinPath(folder, path, name) ? folder : "", SHGFI_SMALLICON);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// The text of entry `index`; false when it has none or it would not fit 260 bytes.
bool EntryText(HWND list, int index, char* text) {
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR || length >= kPathBufferSize) return false;
  SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
  return true;
}

// The folder of the selected entry: entry 0, the entries down to the selection's parent, each
// with a separator, then the selected entry. False when nothing is selected or it does not fit.
bool SelectedFolder(const FolderPicker* picker, char* folder) {
  const LRESULT selected = SendMessageA(picker->list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return false;
  const int depth = ItemDepth(SendMessageA(picker->list, LB_GETITEMDATA, selected, 0));
  char entry[kPathBufferSize];
  if (!EntryText(picker->list, 0, folder)) return false;
  for (int i = 1; i < depth; ++i)
    if (!EntryText(picker->list, i, entry) || !Append(folder, entry) || !Append(folder, "\\"))
      return false;
  return depth == 0 || (EntryText(picker->list, int(selected), entry) && Append(folder, entry));
}

struct ItemColors {
  int background, text;
};

ItemColors ColorsForState(UINT state) {
  if (state & ODS_DISABLED) return {COLOR_BTNFACE, COLOR_WINDOWTEXT};
  if ((state & ODS_SELECTED) && (state & ODS_FOCUS)) return {COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
  if (state & ODS_SELECTED) return {COLOR_BTNFACE, COLOR_WINDOWTEXT};
  return {COLOR_WINDOW, COLOR_WINDOWTEXT};
}

}  // namespace

HIMAGELIST GetSystemImageList() {
  if (!SystemImageList) {
    SHFILEINFOA info = {};
    SystemImageList = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("c:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  }
  return SystemImageList;
}

HWND CreatePathEdit(HINSTANCE instance, HWND parent, int id, FolderPicker* picker, int x, int y,
                    int width, int height) {
  HWND edit = CreateWindowExA(
      WS_EX_CLIENTEDGE, "EDIT", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, x, y,
      width, height, parent, reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetDefaultFont()), TRUE);
  picker->pathEdit = edit;
  return edit;
}

HWND CreateFolderList(HINSTANCE instance, HWND parent, int id, FolderPicker* picker, int x, int y,
                      int width, int height) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_HASSTRINGS |
                      LBS_OWNERDRAWFIXED | LBS_NOTIFY;
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", nullptr, style, x, y, width, height,
                              parent, reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetDefaultFont()), TRUE);
  if (!HighlightBrush) HighlightBrush = GetSysColorBrush(COLOR_ACTIVECAPTION);
  picker->list = list;
  FillFolderList(picker, picker->path);
  GetSystemImageList();
  if (picker->pathEdit) ComposePickerPath(picker);
  return list;
}

void FillFolderList(FolderPicker* picker, const char* path) {
  HWND list = picker->list;
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  const int last = LastComponentIndex(path);
  for (int k = 0; k <= last; ++k) {
    char component[kPathBufferSize], prefix[kPathBufferSize];
    AddEntry(list, PathComponent(path, k, component), k, PathPrefix(path, k, prefix),
             SHGFI_OPENICON | SHGFI_SMALLICON);
  }
  SendMessageA(list, LB_SETCURSEL, last, 0);
  AddSubfolders(list, path, last + 1);
  if (picker->scrollSelectionToTop) SendMessageA(list, LB_SETTOPINDEX, last, 0);
}

void ComposePickerPath(FolderPicker* picker) {
  char composed[kPathBufferSize];
  if (!SelectedFolder(picker, composed)) return;
  if (!EndsWithSeparator(composed) && !Append(composed, "\\")) return;
  if (!Append(composed, picker->leafName)) return;
  lstrcpyA(picker->path, composed);
  if (picker->pathEdit) SetWindowTextA(picker->pathEdit, composed);
}

void NavigateFolderList(FolderPicker* picker) {
  char folder[kPathBufferSize];
  if (SelectedFolder(picker, folder)) FillFolderList(picker, folder);
}

void OnPathEditChanged(FolderPicker* picker) {
  char text[kPathBufferSize];
  GetWindowTextA(picker->pathEdit, text, sizeof text);
  PathComponent(text, LastComponentIndex(text), picker->leafName);
}

void TakeTypedPath(FolderPicker* picker) {
  char text[kPathBufferSize], folder[kPathBufferSize], joined[kPathBufferSize];
  GetWindowTextA(picker->pathEdit, text, sizeof text);
  char* path = picker->path;
  if (NormalizePath(text, path) ||
      (SelectedFolder(picker, folder) && JoinPath(joined, folder, text) &&
       NormalizePath(joined, path))) {
    if (LastComponentIndex(path) < 0) Append(path, "\\");  // a drive's root: C: is C:\ here
  } else {
    lstrcpyA(path, text);
  }
  SetWindowTextA(picker->pathEdit, path);
}

void DrawFolderItem(const DRAWITEMSTRUCT* item) {
  if (item->itemID == UINT(-1)) return;
  const ItemColors colors = ColorsForState(item->itemState);
  HDC dc = item->hDC;
  RECT area = item->rcItem;
  FillRect(dc, &area, GetSysColorBrush(colors.background));
  SetBkColor(dc, GetSysColor(colors.background));
  SetTextColor(dc, GetSysColor(colors.text));
  const LPARAM data = SendMessageA(item->hwndItem, LB_GETITEMDATA, item->itemID, 0);
  int iconWidth = 0, iconHeight = 0;
  GetListIconSize(GetSystemImageList(), &iconWidth, &iconHeight);
  const int indent = ItemDepth(data) * iconWidth / 2;
  DrawListIcon(SystemImageList, int(ItemIcon(data)), dc, area.left + indent, area.top);
  char text[kPathBufferSize] = "";
  EntryText(item->hwndItem, int(item->itemID), text);
  area.left += indent + iconWidth + 3;
  DrawTextA(dc, text, -1, &area, DT_PATH_ELLIPSIS);
  if ((item->itemState & ODS_SELECTED) && (item->itemState & ODS_FOCUS))
    DrawFocusRect(dc, &item->rcItem);
}
