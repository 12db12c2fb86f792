#include "install/install_text.h"

#include <cstring>
#include <initializer_list>

#include "lang/fill_text.h"

namespace {

const char* const kSettingsValueNames[] = {"content", "fullpath", "height", "language", "left",
                                           "state",   "top",      "view",   "width"};

// Room to spare: the longest line is a 259-byte path, its separator and the line feed.
constexpr size_t kLineSize = 2 * 260;

// Lines are put together by hand rather than with a printf format: the paths are data, and the
// Windows C runtime's printf family would bring its whole formatter into setup.exe.
bool WriteLine(FILE* log, std::initializer_list<const char*> parts) {
  if (!log || std::ferror(log)) return false;
  char line[kLineSize];
  size_t used = 0;
  for (const char* part : parts) {
    const size_t length = std::strlen(part);
    if (used + length + 2 > sizeof line) return false;
    std::memcpy(line + used, part, length);
    used += length;
  }
  line[used++] = '\n';
  line[used] = '\0';
  return std::fputs(line, log) >= 0 && !std::ferror(log);
}

}  // namespace

bool WriteFolderLine(FILE* log, const char* folder) {
  return WriteLine(log, {folder, "\\"});
}

bool WriteFileLine(FILE* log, const char* file) {
  return WriteLine(log, {file});
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
