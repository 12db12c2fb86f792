#include "app/command_line.h"

#include <cstring>

const char* SkipProgramName(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    const char* closing = std::strchr(p + 1, '"');
    if (!closing) return p;
    p = closing + 1;
  } else {
    while (*p && *p != ' ')
      ++p;
  }
  while (*p == ' ')
    ++p;
  return p;
}
