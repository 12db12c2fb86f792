/* A COMCTL32.DLL as an attacker would leave it in a Downloads folder beside setup.exe: when the
   loader takes it, its DllMain leaves a marker file beside it. It exports what an import of the
   real library would look for, so that a program importing it starts all the same. */
#include <windows.h>

static void LeaveMarker(HINSTANCE self) {
  char path[MAX_PATH + 32];
  DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  while (length > 0 && path[length - 1] != '\\')
    --length;
  lstrcpyA(path + length, "planted-library-ran");
  HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
  return TRUE;
}

void WINAPI InitCommonControls(void) {}
BOOL WINAPI ImageList_Draw(void* list, int index, HDC dc, int x, int y, UINT style) {
  (void)list, (void)index, (void)dc, (void)x, (void)y, (void)style;
  return FALSE;
}
BOOL WINAPI ImageList_GetIconSize(void* list, int* width, int* height) {
  (void)list, (void)width, (void)height;
  return FALSE;
}
