// The judgement of absolute paths (path_form.h): byte-string work only, no file system.
#include "folders/path_form.h"

#include <cstring>

namespace {

constexpr char kSeparator = '\\';

char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool IsNameByte(char c) {
  return static_cast<unsigned char>(c) >= 32 && !std::strchr("\\/:*?\"<>|", c);
}

// Passes over one name from `p`; null when it is not a plain name (path_form.h).
const char* SkipName(const char* p) {
  const char* start = p;
  while (IsNameByte(*p))
    ++p;
  if (p == start || p[-1] == '.' || p[-1] == ' ') return nullptr;
  return p;
}

// Passes over "\name" as often as it comes, at least once; null unless that reaches the end.
bool AreNamesToTheEnd(const char* p) {
  if (*p != kSeparator) return false;
  while (*p == kSeparator) {
    p = SkipName(p + 1);
    if (!p) return false;
  }
  return *p == '\0';
}

bool IsSeparatorByte(char c) {
  return c == kSeparator || c == '/';
}

// Copies the root of `path` into `out`: "X:" of "X:\...", or "\\server\share" of
// "\\server\share[\...]", each separator as a backslash. Its length, which is also the number
// of bytes of `path` it takes, or 0 when `path` has no such root. The names of server and share
// are taken as they stand; IsPlainPath judges them.
size_t CopyRoot(const char* path, char* out) {
  const char letter = FoldCase(path[0]);
  if (letter >= 'a' && letter <= 'z' && path[1] == ':' && IsSeparatorByte(path[2])) {
    out[0] = path[0];
    out[1] = ':';
    return 2;
  }
  if (!IsSeparatorByte(path[0]) || !IsSeparatorByte(path[1])) return 0;
  size_t at = 2;
  for (int name = 0; name < 2; ++name) {
    if (name == 1) {
      if (!IsSeparatorByte(path[at])) return 0;
      ++at;
    }
    while (path[at] && !IsSeparatorByte(path[at]))
      ++at;
  }
  out[0] = out[1] = kSeparator;
  for (size_t i = 2; i < at; ++i)
    out[i] = IsSeparatorByte(path[i]) ? kSeparator : path[i];
  return at;
}

// The name that Windows opens for `name` (`*length` bytes): the last name of a path loses its
// trailing dots and spaces, every other name one trailing dot.
void TrimName(const char* name, size_t* length, bool last) {
  if (last) {
    while (*length > 0 && (name[*length - 1] == '.' || name[*length - 1] == ' '))
      --*length;
  } else if (*length > 0 && name[*length - 1] == '.') {
    --*length;
  }
}

}  // namespace

bool SameStart(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;  // also stops at the end of either
  return true;
}

bool LiesBelow(const char* path, const char* above) {
  const size_t length = std::strlen(above);
  return SameStart(path, above, length) && path[length] == kSeparator && path[length + 1] != '\0';
}

bool NormalizePath(const char* path, char* out) {
  if (std::strlen(path) >= size_t(kPathBufferSize)) return false;
  const size_t rootLength = CopyRoot(path, out);
  if (rootLength == 0) return false;
  size_t at = rootLength;
  size_t length = rootLength;
  while (path[at] != '\0') {
    while (IsSeparatorByte(path[at]))
      ++at;
    const char* name = path + at;
    while (path[at] != '\0' && !IsSeparatorByte(path[at]))
      ++at;
    size_t nameLength = size_t(path + at - name);
    if (nameLength == 0 || (nameLength == 1 && name[0] == '.')) continue;
    if (nameLength == 2 && name[0] == '.' && name[1] == '.') {  // back to the separator before
      while (length > rootLength && out[length - 1] != kSeparator)
        --length;
      if (length > rootLength) --length;
      continue;
    }
    TrimName(name, &nameLength, path[at] == '\0');
    if (nameLength == 0) continue;
    if (length + 1 + nameLength >= size_t(kPathBufferSize)) return false;
    out[length++] = kSeparator;
    std::memcpy(out + length, name, nameLength);
    length += nameLength;
  }
  out[length] = '\0';
  return true;
}

bool IsPlainPath(const char* path) {
  const char letter = FoldCase(path[0]);
  if (letter >= 'a' && letter <= 'z' && path[1] == ':') return AreNamesToTheEnd(path + 2);
  if (path[0] != kSeparator || path[1] != kSeparator) return false;
  const char* server = SkipName(path + 2);
  const char* share = server && *server == kSeparator ? SkipName(server + 1) : nullptr;
  return share && AreNamesToTheEnd(share);
}

bool IsSamePath(const char* a, const char* b) {
  const size_t length = std::strlen(a);
  return std::strlen(b) == length && SameStart(a, b, length);
}

bool IsInsideFolder(const char* path, const char* folder) {
  return IsPlainPath(path) && IsPlainPath(folder) && LiesBelow(path, folder);
}
