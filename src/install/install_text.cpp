#include "install/install_text.h"

#include <cstring>

#include "lang/fill_text.h"

namespace {

const char* const kSettingsValueNames[] = {"content", "fullpath", "height", "language", "left",
                                           "state",   "top",      "view",   "width"};

}  // namespace

void WriteFolderLine(FILE* log, const char* folder) {
  if (log) std::fprintf(log, "%s\\\n", folder);
}

void WriteFileLine(FILE* log, const char* file) {
  if (log) std::fprintf(log, "%s\n", file);
}

void WriteLogText(FILE* log, const char* text) {
  if (log) std::fputs(text, log);
}

void WriteUninstallKeyLines(FILE* log) {
  if (!log) return;
  std::fprintf(log, "[HKEY_LOCAL_MACHINE\\%s]\n", kUninstallKeyPath);
  std::fprintf(log, "[HKEY_LOCAL_MACHINE\\%s\\DisplayName]\n", kUninstallKeyPath);
  std::fprintf(log, "[HKEY_LOCAL_MACHINE\\%s\\UninstallString]\n", kUninstallKeyPath);
}

void WriteSettingsKeyLines(FILE* log) {
  if (!log) return;
  for (const char* name : kSettingsValueNames)
    std::fprintf(log, "[HKEY_CURRENT_USER\\%s\\%s]\n", kSettingsKeyPath, name);
}

bool FormatUninstallCommand(char* out, size_t size, const char* path) {
  const char* const texts[] = {path};
  const char* format = std::strchr(path, ' ') ? "\"%s\"" : "%s";
  return FillTextSlots(out, size, format, texts, 1) < size;
}
