#include "install/install_paths.h"

#include <cstring>

#include "folders/code_page.h"
#include "folders/path_form.h"
#include "package/package.h"

bool JoinInstallPath(char* out, const char* folder, const char* name) {
  const size_t length = std::strlen(folder);
  const bool separate = length == 0 || !EndsWithCharacter(folder, '\\');
  if (length + separate + std::strlen(name) >= size_t(kPathBufferSize)) return false;
  std::memcpy(out, folder, length);
  out[length] = '\\';
  std::strcpy(out + length + separate, name);
  return true;
}

bool ComposeInstallPath(char* out, const char* folder, const char* name) {
  if (!JoinInstallPath(out, folder, name) || !IsPlainPath(out)) return false;
  // The same rule as for the payload's names, one name at a time: it also knows the devices.
  const int last = LastComponentIndex(out);
  for (int k = 1; k <= last; ++k) {
    char component[kPathBufferSize];
    if (!IsPlainEntryName(PathComponent(out, k, component))) return false;
  }
  return true;
}

bool IsInstallFolderAllowed(const char* folder, const char* windowsFolder) {
  char probe[kPathBufferSize], windows[kPathBufferSize], normal[kPathBufferSize];
  if (!ComposeInstallPath(probe, folder, "x") || !NormalizePath(windowsFolder, windows))
    return false;
  return NormalizePath(folder, normal) && !IsSamePath(normal, windows) &&
         !IsInsideFolder(normal, windows);
}
