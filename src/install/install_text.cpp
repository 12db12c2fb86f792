#include "install/install_text.h"

#include <cstring>
#include <initializer_list>

#include "lang/fill_text.h"

namespace {

const char* const kSettingsValueNames[] = {"content", "fullpath", "height", "language", "left",
                                           "state",   "top",      "view",   "width"};

// Lines are put together with fputs rather than a printf format: the paths are data, and the
// Windows C runtime's printf family would bring its whole formatter into setup.exe.
void WriteLine(FILE* log, std::initializer_list<const char*> parts) {
  if (!log) return;
  for (const char* part : parts)
    std::fputs(part, log);
  std::fputc('\n', log);
}

}  // namespace

void WriteFolderLine(FILE* log, const char* folder) {
  WriteLine(log, {folder, "\\"});
}

void WriteFileLine(FILE* log, const char* file) {
  WriteLine(log, {file});
}

void WriteLogText(FILE* log, const char* text) {
  if (log) std::fputs(text, log);
}

void WriteUninstallKeyLines(FILE* log) {
  WriteLine(log, {"[HKEY_LOCAL_MACHINE\\", kUninstallKeyPath, "]"});
  WriteLine(log, {"[HKEY_LOCAL_MACHINE\\", kUninstallKeyPath, "\\DisplayName]"});
  WriteLine(log, {"[HKEY_LOCAL_MACHINE\\", kUninstallKeyPath, "\\UninstallString]"});
}

void WriteSettingsKeyLines(FILE* log) {
  for (const char* name : kSettingsValueNames)
    WriteLine(log, {"[HKEY_CURRENT_USER\\", kSettingsKeyPath, "\\", name, "]"});
}

bool FormatUninstallCommand(char* out, size_t size, const char* path) {
  const char* const texts[] = {path};
  const char* format = std::strchr(path, ' ') ? "\"%s\"" : "%s";
  return FillTextSlots(out, size, format, texts, 1) < size;
}
