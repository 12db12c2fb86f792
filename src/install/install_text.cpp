#include "install/install_text.h"

#include <cstring>
#include <initializer_list>

#include "lang/fill_text.h"

namespace {

const char* const kSettingsValueNames[] = {"content", "fullpath", "height", "language", "left",
                                           "state",   "top",      "view",   "width"};

// Room to spare: the longest line is a 259-byte path, its separator and the line end.
constexpr size_t kLineSize = 2 * 260;

// Lines are put together by hand rather than with a printf format: the paths are data, and the
// Windows C runtime's printf family would bring its whole formatter into setup.exe.
bool WriteLine(InstallLog* log, std::initializer_list<const char*> parts) {
  if (!log || log->failed) return false;
  char line[kLineSize];
  size_t used = 0;
  for (const char* part : parts) {
    const size_t length = std::strlen(part);
    if (used + length + 3 > sizeof line) return false;
    std::memcpy(line + used, part, length);
    used += length;
  }
  std::memcpy(line + used, "\r\n", 3);
  if (log->append(log, line, used + 2)) return true;
  log->failed = true;
  return false;
}

bool AppendToStream(InstallLog* log, char* line, size_t length) {
  FILE* stream = static_cast<FILE*>(log->target);
  std::memcpy(line + length - 2, "\n", 2);
  return !std::ferror(stream) && std::fputs(line, stream) >= 0 && !std::ferror(stream);
}

// A stream log for one call: a stream keeps its own error state between calls.
template <typename Writer>
bool OnStream(FILE* stream, Writer write) {
  InstallLog log = StreamInstallLog(stream);
  return write(stream ? &log : nullptr);
}

}  // namespace

InstallLog StreamInstallLog(FILE* stream) {
  return {AppendToStream, stream, false};
}

bool WriteFolderLine(InstallLog* log, const char* folder) {
  return WriteLine(log, {folder, "\\"});
}

bool WriteFileLine(InstallLog* log, const char* file) {
  return WriteLine(log, {file});
}

bool WriteUninstallKeyLines(InstallLog* log) {
  return WriteLine(log, {"[HKEY_LOCAL_MACHINE\\", kUninstallKeyPath, "]"}) &&
         WriteLine(log, {"[HKEY_LOCAL_MACHINE\\", kUninstallKeyPath, "\\DisplayName]"}) &&
         WriteLine(log, {"[HKEY_LOCAL_MACHINE\\", kUninstallKeyPath, "\\UninstallString]"});
}

bool WriteSettingsKeyLines(InstallLog* log) {
  for (const char* name : kSettingsValueNames)
    if (!WriteLine(log, {"[HKEY_CURRENT_USER\\", kSettingsKeyPath, "\\", name, "]"})) return false;
  return true;
}

bool WriteFolderLine(FILE* stream, const char* folder) {
  return OnStream(stream, [folder](InstallLog* log) { return WriteFolderLine(log, folder); });
}

bool WriteFileLine(FILE* stream, const char* file) {
  return OnStream(stream, [file](InstallLog* log) { return WriteFileLine(log, file); });
}

bool WriteUninstallKeyLines(FILE* stream) {
  return OnStream(stream, [](InstallLog* log) { return WriteUninstallKeyLines(log); });
}

bool WriteSettingsKeyLines(FILE* stream) {
  return OnStream(stream, [](InstallLog* log) { return WriteSettingsKeyLines(log); });
}

bool FormatUninstallCommand(char* out, size_t size, const char* path) {
  const char* const texts[] = {path};
  const char* format = std::strchr(path, ' ') ? "\"%s\"" : "%s";
  return FillTextSlots(out, size, format, texts, 1) < size;
}
