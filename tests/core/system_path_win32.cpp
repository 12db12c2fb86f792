#include <windows.h>

#include "core/system_path.h"

bool SystemFullPath(const char* path, char* full) {
  const DWORD length = GetFullPathNameA(path, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  if (full[length - 1] == '\\') full[length - 1] = '\0';
  return true;
}
