#include "ui/common_controls_win32.h"

#include "app/dll_search_win32.h"

namespace {

typedef BOOL(WINAPI* GetIconSizeFunction)(HIMAGELIST, int*, int*);
typedef BOOL(WINAPI* DrawFunction)(HIMAGELIST, int, HDC, int, int, UINT);

GetIconSizeFunction getIconSize;
DrawFunction draw;

template <typename Function>
Function Bind(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

void LoadCommonControls() {
  HMODULE library = LoadSystemLibrary("comctl32.dll");
  if (!library) return;
  typedef void(WINAPI * InitFunction)();
  if (InitFunction init = Bind<InitFunction>(library, "InitCommonControls")) init();
  getIconSize = Bind<GetIconSizeFunction>(library, "ImageList_GetIconSize");
  draw = Bind<DrawFunction>(library, "ImageList_Draw");
}

void GetListIconSize(HIMAGELIST list, int* width, int* height) {
  *width = *height = 0;
  if (getIconSize) getIconSize(list, width, height);
}

void DrawListIcon(HIMAGELIST list, int index, HDC dc, int x, int y) {
  if (draw) draw(list, index, dc, x, y, ILD_TRANSPARENT);
}
