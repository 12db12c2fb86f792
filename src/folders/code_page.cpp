// The characters of the system code page (code_page.h).
#include "folders/code_page.h"

namespace {

// One bit per byte value.
unsigned leadBytes[256 / 32];

}  // namespace

void SetLeadByteRanges(const unsigned char* ranges) {
  for (unsigned& bits : leadBytes)
    bits = 0;
  for (int i = 0; ranges && i + 1 < kLeadByteRangeBytes && (ranges[i] || ranges[i + 1]); i += 2)
    for (unsigned byte = ranges[i]; byte <= ranges[i + 1]; ++byte)
      leadBytes[byte / 32] |= 1u << (byte % 32);
}

bool IsLeadByte(char c) {
  const unsigned byte = static_cast<unsigned char>(c);
  return (leadBytes[byte / 32] >> (byte % 32)) & 1u;
}

size_t CharacterLength(const char* p) {
  return IsLeadByte(p[0]) && p[1] != '\0' ? 2 : 1;
}

size_t WholeCharacters(const char* text, size_t length) {
  size_t at = 0;
  while (at < length && at + CharacterLength(text + at) <= length)
    at += CharacterLength(text + at);
  return at;
}

const char* FindCharacter(const char* text, char c) {
  for (; *text; text += CharacterLength(text))
    if (*text == c && CharacterLength(text) == 1) return text;
  return nullptr;
}

const char* FindLastCharacter(const char* text, char c) {
  const char* found = nullptr;
  for (; *text; text += CharacterLength(text))
    if (*text == c && CharacterLength(text) == 1) found = text;
  return found;
}

bool EndsWithCharacter(const char* text, char c) {
  const char* last = nullptr;
  for (; *text; text += CharacterLength(text))
    last = text;
  return last && *last == c && CharacterLength(last) == 1;
}
