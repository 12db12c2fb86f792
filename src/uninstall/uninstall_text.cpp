// The uninstaller's command line and report list (uninstall_text.h).
#include "uninstall/uninstall_text.h"

#include <cstring>

#include "lang/fill_text.h"

namespace {

constexpr char kQuietOption[] = "/quiet";
constexpr char kFinishOption[] = "/finish";
constexpr char kCut[] = "...";

const char* SkipSpaces(const char* p) {
  while (*p == ' ')
    ++p;
  return p;
}

// `text` begins with the lower-case `option`, letters compared without case, followed by a
// space or the end.
bool IsOption(const char* text, const char* option) {
  for (; *option; ++text, ++option) {
    char c = *text;
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != *option) return false;
  }
  return *text == ' ' || *text == '\0';
}

// A decimal number at *p, moving *p past it; false when there are no digits or it overflows.
// Pointer-sized: 64-bit arithmetic would bring the compiler's division helpers into a 32-bit
// program.
bool ReadNumber(const char** p, uintptr_t* value) {
  const char* q = *p;
  *value = 0;
  for (; *q >= '0' && *q <= '9'; ++q) {
    const uintptr_t digit = uintptr_t(*q - '0');
    if (*value > (UINTPTR_MAX - digit) / 10) return false;
    *value = *value * 10 + digit;
  }
  if (q == *p) return false;
  *p = q;
  return true;
}

// HANDLE [FOLDER...] "ORIGINAL", and nothing after it.
bool ReadFinishParts(const char* p, UninstallOptions* options) {
  uintptr_t handle = 0;
  int count = 0;
  p = SkipSpaces(p);
  if (!ReadNumber(&p, &handle) || handle == 0 || *p != ' ') return false;
  for (p = SkipSpaces(p); *p != '"'; p = SkipSpaces(p))
    if (count == kMostFinishFolders || !ReadNumber(&p, &options->folderHandles[count++]) ||
        *p != ' ')
      return false;
  const char* closing = std::strchr(p + 1, '"');
  if (!closing || closing == p + 1 || *SkipSpaces(closing + 1) != '\0') return false;
  const size_t length = size_t(closing - (p + 1));
  if (length >= sizeof options->original) return false;
  std::memcpy(options->original, p + 1, length);
  options->original[length] = '\0';
  options->waitHandle = handle;
  options->folderCount = count;
  return true;
}

}  // namespace

void ReadUninstallOptions(const char* arguments, UninstallOptions* options) {
  options->mode = kAskFirst;
  options->waitHandle = 0;
  options->folderCount = 0;
  options->original[0] = '\0';
  const char* p = SkipSpaces(arguments);
  if (IsOption(p, kQuietOption)) {
    options->mode = kQuiet;
  } else if (IsOption(p, kFinishOption)) {
    options->mode = ReadFinishParts(p + std::strlen(kFinishOption), options) ? kFinish : kBadFinish;
    if (options->mode == kBadFinish) options->original[0] = '\0';
  }
}

bool FormatFinishCommand(char* out, size_t size, const char* copyPath, uintptr_t waitHandle,
                         void* const* folders, int folderCount, const char* original) {
  char handle[24], handles[kMostFinishFolders * 24];
  char* at = handles;
  *at = '\0';
  while (folderCount > 0) {
    *at++ = ' ';
    at += std::strlen(DecimalText(at, uintptr_t(folders[--folderCount])));
  }
  const char* const texts[] = {copyPath, kFinishOption, DecimalText(handle, waitHandle), handles,
                               original};
  return FillTextSlots(out, size, "\"%s\" %s %s%s \"%s\"", texts, 5) < size;
}

char* DecimalText(char* out, uintptr_t value) {
  char digits[21];
  int count = 0;
  do {
    digits[count++] = char('0' + value % 10);
    value /= 10;
  } while (value);
  for (int i = 0; i < count; ++i)
    out[i] = digits[count - 1 - i];
  out[count] = '\0';
  return out;
}

void AddReportItem(ReportList* list, const char* item) {
  ++list->count;
  if (list->cut) return;
  const size_t used = std::strlen(list->text), length = std::strlen(item);
  // The item, its line feed, and room left for the cut mark after them.
  if (used + length + 1 + sizeof kCut <= sizeof list->text) {
    std::memcpy(list->text + used, item, length);
    list->text[used + length] = '\n';
    list->text[used + length + 1] = '\0';
  } else {
    std::memcpy(list->text + used, kCut, sizeof kCut);
    list->cut = true;
  }
}
