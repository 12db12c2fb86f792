// The process entry of setup.exe: the executable's entry point itself. The C runtime's start-up
// is not linked (cmake/small_program.cmake): what it prepares, this program does not use.
#include <windows.h>

#include <cstdlib>

#include "app/command_line.h"
#include "app/dll_search_win32.h"
#include "app/wizard_win32.h"

extern "C" [[noreturn]] void ProgramEntry() {
  RestrictDllSearch();
  const char* rest = SkipProgramName(GetCommandLineA());
  // The C runtime's exit, as after WinMain: it flushes and closes the streams still open.
  std::exit(RunSetup(GetModuleHandleA(nullptr), rest));
}
