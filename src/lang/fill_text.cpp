#include "lang/fill_text.h"

#include "folders/code_page.h"
#include "folders/path_text.h"

namespace {

struct Output {
  char* out;
  size_t size;
  size_t length;     // of the whole result, cut or not
  size_t kept;       // the end of the last whole character that fits before the terminator
  bool inCharacter;  // the last byte was a lead byte: the next one belongs to its character
};

// Appends one byte, keeping room for the terminator; counts it even when cut.
void Put(Output* output, char c) {
  if (output->length + 1 < output->size) output->out[output->length] = c;
  ++output->length;
  output->inCharacter = !output->inCharacter && IsLeadByte(c);
  if (!output->inCharacter && output->length < output->size) output->kept = output->length;
}

}  // namespace

size_t FillTextSlots(char* out, size_t size, const char* format, const char* const* texts,
                     int count) {
  Output output = {out, size, 0, 0, false};
  int next = 0;
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      const char* text = next < count && texts[next] ? texts[next] : "";
      ++next;
      for (; *text; ++text)
        Put(&output, *text);
      ++p;
    } else {
      Put(&output, *p);
    }
  }
  // A cut result ends after a whole character: a lead byte alone would take the terminator for
  // its second byte.
  if (size > 0) out[output.length < size ? output.length : output.kept] = '\0';
  return output.length;
}

bool ComposePath(char* out, const char* format, const char* a, const char* b, const char* c) {
  const char* const texts[] = {a, b, c};
  return FillTextSlots(out, kPathBufferSize, format, texts, 3) < size_t(kPathBufferSize);
}
