#include <windows.h>

#include "product_language_win32.h"

#include <cstdlib>

#include "install/install_text.h"
#include "lang/language.h"
#include "startup.h"

namespace {

// The section name the setup program stored, or null when there is none. The buffer holds the
// longest section name, so a longer value (ERROR_MORE_DATA) names no section anyway.
const char* ReadLanguageSetting(char* buffer, DWORD size) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return nullptr;
  DWORD type = 0, length = size - 1;
  const LONG status =
      RegQueryValueExA(key, "language", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &length);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return nullptr;
  buffer[length] = '\0';  // a value stored without its NUL ends all the same
  return buffer;
}

}  // namespace

char* ReadWholeFile(const char* path, int* length) {
  *length = 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  char* text = size != INVALID_FILE_SIZE && high == 0 && size > 0 && size <= kMostFileBytes
                   ? static_cast<char*>(std::malloc(size))
                   : nullptr;
  DWORD read = 0;
  if (text && (!ReadFile(file, text, size, &read, nullptr) || read != size)) {
    std::free(text);
    text = nullptr;
  }
  CloseHandle(file);
  if (text) *length = int(size);
  return text;
}

void LoadProductLanguage(const char* programPath) {
  char path[MAX_PATH];
  int length = 0;
  char* text = PathBesideModule(path, sizeof path, programPath, kLanguageFileName)
                   ? ReadWholeFile(path, &length)
                   : nullptr;
  if (!text) return;
  char setting[kMaxSectionNameLength + 3];
  const int count = CollectLanguageNames(text, length);
  const int index = ChooseLanguageIndex(ReadLanguageSetting(setting, sizeof setting), count);
  if (count > 0) LoadLanguageSection(text, length, LanguageName(index));
  std::free(text);
}
