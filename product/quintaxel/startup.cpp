#include "startup.h"

#include <cstring>

#include "folders/code_page.h"
#include "lang/language.h"

int ChooseLanguageIndex(const char* wanted, int count) {
  if (!wanted) return 0;
  for (int i = 0; i < count; ++i) {
    const char* name = LanguageName(i);
    if (name && std::strcmp(name, wanted) == 0) return i;
  }
  return 0;
}

bool PathBesideModule(char* path, size_t size, const char* modulePath, const char* name) {
  if (size == 0) return false;
  path[0] = '\0';
  // A module path without a backslash has no folder part: the name stands alone.
  const char* lastSeparator = FindLastCharacter(modulePath, '\\');
  const size_t folderLength = lastSeparator ? size_t(lastSeparator - modulePath) + 1 : 0;
  const size_t nameLength = std::strlen(name);
  if (folderLength + nameLength + 1 > size) return false;
  std::memcpy(path, modulePath, folderLength);
  std::memcpy(path + folderLength, name, nameLength + 1);
  return true;
}
