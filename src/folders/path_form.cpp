// The judgement of absolute paths (path_form.h): byte-string work only, no file system. Every
// walk steps over characters of the system code page (folders/code_page.h): the second byte of a
// double-byte character is never a separator, a dot or a letter.
#include "folders/path_form.h"

#include <cstring>

#include "folders/code_page.h"

namespace {

constexpr char kSeparator = '\\';

char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool IsNameByte(char c) {
  return static_cast<unsigned char>(c) >= 32 && !std::strchr("\\/:*?\"<>|", c);
}

// The bytes of the name character at `p`, or 0 where there is none. A lead byte alone, at the
// end, is none; nor is a lead byte before a byte below 0x40, which no double-byte code page
// takes as a second byte (a control byte, a dot or a colon would hide in it).
size_t NameCharacterLength(const char* p) {
  if (IsLeadByte(p[0])) return static_cast<unsigned char>(p[1]) >= 0x40 ? 2 : 0;
  return IsNameByte(p[0]) ? 1 : 0;
}

// Passes over one name from `p`; null when it is not a plain name (path_form.h).
const char* SkipName(const char* p) {
  const char* last = nullptr;
  for (size_t length; (length = NameCharacterLength(p)) > 0; p += length)
    last = p;
  if (!last || (CharacterLength(last) == 1 && (*last == '.' || *last == ' '))) return nullptr;
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
      at += CharacterLength(path + at);
  }
  out[0] = out[1] = kSeparator;
  for (size_t i = 2; i < at; i += CharacterLength(path + i)) {
    out[i] = IsSeparatorByte(path[i]) ? kSeparator : path[i];
    if (CharacterLength(path + i) == 2) out[i + 1] = path[i + 1];
  }
  return at;
}

// The name that Windows opens for `name` (`*length` bytes of whole characters): the last name
// of a path loses its trailing dots and spaces, every other name one trailing dot.
void TrimName(const char* name, size_t* length, bool last) {
  size_t kept = 0;  // the end of the last character that stays
  bool endsInDot = false;
  for (size_t at = 0; at < *length; at += CharacterLength(name + at)) {
    const bool single = CharacterLength(name + at) == 1;
    endsInDot = single && name[at] == '.';
    if (!endsInDot && !(single && name[at] == ' ')) kept = at + CharacterLength(name + at);
  }
  if (last)
    *length = kept;
  else if (endsInDot)
    --*length;
}

}  // namespace

bool SameStart(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; i += CharacterLength(a + i)) {
    if (a[i] == '\0') return b[i] == '\0';
    if (CharacterLength(a + i) == 1) {
      if (FoldCase(a[i]) != FoldCase(b[i])) return false;  // also stops at the end of b
    } else if (i + 2 > length || a[i] != b[i] || a[i + 1] != b[i + 1]) {
      return false;  // a double-byte character as it is, and never half of one
    }
  }
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
      at += CharacterLength(path + at);
    size_t nameLength = size_t(path + at - name);
    if (nameLength == 0 || (nameLength == 1 && name[0] == '.')) continue;
    if (nameLength == 2 && name[0] == '.' && name[1] == '.') {  // back to the separator before
      out[length] = '\0';
      const char* before = FindLastCharacter(out + rootLength, kSeparator);
      length = before ? size_t(before - out) : rootLength;
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
