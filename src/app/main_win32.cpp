// The process entry of setup.exe.
#include <windows.h>

#include <cstdlib>

#include "app/command_line.h"
#include "app/wizard_win32.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

// A setup program is started from the user's Downloads folder, where anybody may have left a
// DLL named like a system one. Before anything else, DLLs are looked up in the system folder
// only. Older systems lack SetDefaultDllDirectories, so it is bound at run time.
void RestrictDllSearch() {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  const char* rest = SkipProgramName(GetCommandLineA());
  std::exit(RunSetup(GetModuleHandleA(nullptr), rest));
}
