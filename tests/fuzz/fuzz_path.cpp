// Path texts, the bounded copy and the byte-count text over arbitrary bytes: every result must
// stay inside its 260-byte (or 12-byte) heap buffer, where AddressSanitizer sees any overflow.
// The first byte picks the code page (single-byte, 932, 936, 949 or 950): a result never ends in
// half a character.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "core/code_pages.h"
#include "folders/byte_count.h"
#include "folders/path_form.h"
#include "folders/path_text.h"

namespace {

void CheckFits(const char* text, size_t room) {
  if (std::strlen(text) >= room) std::abort();
}

// A prefix is always the path's own first characters, cut or not.
void CheckIsPrefix(const char* prefix, const char* path) {
  const size_t length = std::strlen(prefix);
  if (std::strncmp(prefix, path, length) != 0) std::abort();
  if (WholeCharacters(path, length) != length) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int codePages[] = {1252, 932, 936, 949, 950};
  UseCodePage(codePages[data[0] % 5]);
  ++data;
  --size;
  // On the heap and no larger than needed, so that reading past the terminator shows too.
  const size_t cut = size < kPathBufferSize - 1 ? size : kPathBufferSize - 1;
  char* path = static_cast<char*>(std::malloc(cut + 1));
  std::memcpy(path, data, cut);
  path[cut] = '\0';
  const size_t length = std::strlen(path);  // an embedded NUL just ends the path early

  char* dst = static_cast<char*>(std::malloc(kPathBufferSize));
  const int last = LastComponentIndex(path);
  for (int k = -1; k <= last + 2; ++k) {
    if (k >= 0) {
      CheckFits(PathPrefix(path, k, dst), kPathBufferSize);
      CheckIsPrefix(dst, path);
    }
    CheckFits(PathComponent(path, k, dst), kPathBufferSize);
  }
  // A plain path is already in the form Windows opens.
  if (IsPlainPath(path) && (!NormalizePath(path, dst) || std::strcmp(dst, path) != 0)) std::abort();
  for (size_t bound : {size_t(0), size_t(1), size_t(2), length / 2, length, length + 1}) {
    char* copy = static_cast<char*>(std::malloc(bound ? bound : 1));
    if (BoundedCopy(copy, path, bound) != (bound ? length : 0)) std::abort();
    if (bound) CheckFits(copy, bound);
    std::free(copy);
  }
  std::free(dst);
  std::free(path);

  int64_t count = 0;
  std::memcpy(&count, data, size < sizeof count ? size : sizeof count);
  char* text = static_cast<char*>(std::malloc(12));
  CheckFits(FormatByteCount(count, text), 12);
  std::free(text);
  return 0;
}
