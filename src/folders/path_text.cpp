// Path component arithmetic and the bounded copy (path_text.h): byte-string work only, no file
// system and no allocation. Every walk steps over characters (folders/code_page.h).
#include "folders/path_text.h"

#include <cstring>

#include "folders/code_page.h"

namespace {

constexpr char kSeparator = '\\';

// The test PathPrefix uses: longer than 3 bytes and two leading separators (the first byte is a
// character, and so the second, when the first is a separator). PathComponent uses
// the same one so that its component 0 always matches prefix 0, also for \\x and similar.
bool IsUncPath(const char* path) {
  return path[0] == kSeparator && path[1] == kSeparator && path[2] != '\0' && path[3] != '\0';
}

// The position just after the `count`-th separator from `pos` on, or the end of the path. A
// count of 0 or below leaves `pos` as it is; long long so that k + 1 cannot overflow.
size_t SkipSeparators(const char* path, size_t pos, long long count) {
  for (long long passed = 0; passed < count && path[pos] != '\0';) {
    if (path[pos] == kSeparator) ++passed;  // never a second byte: the walk steps over those
    pos += CharacterLength(path + pos);
  }
  return pos;
}

// The position of the next separator from `pos` on, or the end of the path.
size_t ComponentEnd(const char* path, size_t pos) {
  while (path[pos] != '\0' && path[pos] != kSeparator)
    pos += CharacterLength(path + pos);
  return pos;
}

// Copies the first `length` bytes of `src`, which end at a character; an over-long text is cut
// to the whole characters that `limit` bytes hold, so that no lead byte is left without its
// second byte (a separator added after it would become that byte).
void CopyRange(char* dst, const char* src, size_t length, size_t limit) {
  if (length + 1 > limit) length = WholeCharacters(src, limit - 1);
  BoundedCopy(dst, src, length + 1);
}

void RemoveTrailingSeparator(char* dst) {
  if (EndsWithCharacter(dst, kSeparator)) dst[std::strlen(dst) - 1] = '\0';
}

// `dst` holds at most kPathBufferSize - 2 bytes of text here, so the separator always fits.
void AppendMissingSeparator(char* dst) {
  const size_t length = std::strlen(dst);
  if (EndsWithCharacter(dst, kSeparator)) return;
  dst[length] = kSeparator;
  dst[length + 1] = '\0';
}

// Component 0: the text before the first separator of a drive or relative path, the whole
// \\server\share\ of a UNC path; with its closing separator added when the path lacks it.
char* RootComponent(const char* path, char* dst) {
  const size_t end = IsUncPath(path) ? SkipSeparators(path, 0, 4) : ComponentEnd(path, 0);
  CopyRange(dst, path, end, kPathBufferSize - 1);
  AppendMissingSeparator(dst);
  return dst;
}

}  // namespace

int LastComponentIndex(const char* path) {
  int n = 0;
  size_t length = 0;
  for (; path[length] != '\0'; length += CharacterLength(path + length)) {
    if (path[length] == kSeparator) ++n;
  }
  if (n == 0) n = -1;
  if (EndsWithCharacter(path, kSeparator)) --n;
  // UNC paths are tested here from 2 bytes on, in PathPrefix only from 4 bytes on, so \\ gives
  // -2; every result below 0 means "no component" to the callers.
  if (length > 1 && path[0] == kSeparator && path[1] == kSeparator) n -= 3;
  return n;
}

char* PathPrefix(const char* path, int k, char* dst) {
  size_t pos = 0;
  if (IsUncPath(path)) pos = SkipSeparators(path, 0, 3);  // past \\server\ .
  pos = SkipSeparators(path, pos, static_cast<long long>(k) + 1);
  CopyRange(dst, path, pos, kPathBufferSize);
  if (k != 0) RemoveTrailingSeparator(dst);
  return dst;
}

char* PathComponent(const char* path, int k, char* dst) {
  if (k == 0) return RootComponent(path, dst);
  size_t start = 0;
  if (k > 0) {
    // Folder names of a UNC path are counted after \\server\ , as PathPrefix counts them.
    if (IsUncPath(path)) start = SkipSeparators(path, 0, 3);
    start = SkipSeparators(path, start, k);
  }
  CopyRange(dst, path + start, ComponentEnd(path, start) - start, kPathBufferSize);
  return dst;
}

size_t BoundedCopy(char* dst, const char* src, size_t size) {
  const size_t length = std::strlen(src);
  if (size == 0) return 0;
  const size_t copied = length < size ? length : size - 1;
  std::memcpy(dst, src, copied);
  dst[copied] = '\0';
  return length;
}
