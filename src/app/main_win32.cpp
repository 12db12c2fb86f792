// The process entry of setup.exe.
#include <windows.h>

#include <cstdlib>

#include "app/command_line.h"
#include "app/dll_search_win32.h"
#include "app/wizard_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  const char* rest = SkipProgramName(GetCommandLineA());
  std::exit(RunSetup(GetModuleHandleA(nullptr), rest));
}
