// The process entry of quintaxel.exe and uninstall.exe: the executable's entry point itself,
// in place of the C runtime's start-up (cmake/small_program.cmake). It hands WinMain what the
// start-up would: the module, the command line after the program name and the show command
// that the starting program asked for.
#include <windows.h>

#include <cstdlib>

#include "app/command_line.h"

extern "C" [[noreturn]] void ProgramEntry() {
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : SW_SHOWDEFAULT;
  char* rest = const_cast<char*>(SkipProgramName(GetCommandLineA()));
  std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, rest, show));
}
