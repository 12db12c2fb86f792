#include "lang/fill_text.h"

#include "folders/path_text.h"

namespace {

// Appends one byte at *length, keeping room for the terminator; counts it even when cut.
void Put(char* out, size_t size, size_t* length, char c) {
  if (*length + 1 < size) out[*length] = c;
  ++*length;
}

}  // namespace

size_t FillTextSlots(char* out, size_t size, const char* format, const char* const* texts,
                     int count) {
  size_t length = 0;
  int next = 0;
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      const char* text = next < count && texts[next] ? texts[next] : "";
      ++next;
      for (; *text; ++text)
        Put(out, size, &length, *text);
      ++p;
    } else {
      Put(out, size, &length, *p);
    }
  }
  if (size > 0) out[length < size ? length : size - 1] = '\0';
  return length;
}

bool ComposePath(char* out, const char* format, const char* a, const char* b, const char* c) {
  const char* const texts[] = {a, b, c};
  return FillTextSlots(out, kPathBufferSize, format, texts, 3) < size_t(kPathBufferSize);
}
