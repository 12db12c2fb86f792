// The language loader over arbitrary text: the line reader, both normalisations, the name list,
// every section load and every lookup must stay inside the text and their buffers.
#include <cstring>
#include <memory>
#include <string>

#include "lang/catalogue.h"
#include "lang/language.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsControl(char c) {
  return static_cast<unsigned char>(c) >= 1 && static_cast<unsigned char>(c) <= 31;
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Every line through the reader and both normalisations, each on its own copy.
void ReadEveryLine(const char* text, int length) {
  char line[kLineBufferSize];
  int position = 0;
  for (int before = position; NextTextLine(line, text, &position, length); before = position) {
    const size_t lineLength = std::strlen(line);
    Check(position > before && position <= length);
    Check(lineLength < size_t(kLineBufferSize));

    char normalized[kLineBufferSize];
    std::memcpy(normalized, line, lineLength + 1);
    NormalizeBlanks(normalized);
    const size_t n = std::strlen(normalized);
    Check(n <= lineLength);
    if (n) Check(!IsBlank(normalized[0]) && !IsBlank(normalized[n - 1]));
    for (size_t i = 1; i < n; ++i)
      Check(!(IsBlank(normalized[i - 1]) && IsBlank(normalized[i])));

    char unescaped[kLineBufferSize];
    std::memcpy(unescaped, line, lineLength + 1);
    Check(UnescapeLine(unescaped) == unescaped);
    const size_t u = std::strlen(unescaped);
    Check(u <= lineLength);
    if (u) Check(!IsControl(unescaped[u - 1]));
  }
  Check(line[0] == '\0');
}

// Every stored line is a key line: not empty, no comment, with an "=".
void CheckTable() {
  if (!StringTable) return;
  for (const char* line = StringTable; *line; line += std::strlen(line) + 1)
    Check(line[0] != '#' && std::strchr(line, '=') && std::strlen(line) < size_t(kLineBufferSize));
}

void LookUpEveryKey() {
  CheckTable();
  for (int i = 0; i < setupKeyCount; ++i)
    Check(LookupText(setupKeyCatalogue[i]) != nullptr);
  const std::string longKey(kMaxKeyLength + 1, 'k');
  for (const char* key : {"", "=", "xxx", "\t", "[English]", "#", " ", "sc", longKey.c_str()}) {
    Check(LookupText(key) != nullptr);
    FindTextValue(key);
  }
  Check(FindTextValue(longKey.c_str()) == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  // An exactly-sized copy, so that AddressSanitizer reports a read one byte past the end.
  std::unique_ptr<char[]> bytes(new char[size ? size : 1]);
  std::memcpy(bytes.get(), data, size);
  const char* text = bytes.get();
  const int length = int(size);

  ReadEveryLine(text, length);

  const int count = CollectLanguageNames(text, length);
  Check(count >= 0);
  Check(LanguageName(-1) == nullptr);
  Check(count == 0 ? *LanguageName(0) == '\0' && !LanguageName(1) : !LanguageName(count));
  for (int i = 0; i < count; ++i) {
    // LoadLanguageSection does not change the list, so the name stays valid while it loads.
    const char* name = LanguageName(i);
    Check(name && *name && std::strlen(name) <= kMaxSectionNameLength);
    LoadLanguageSection(text, length, name);
    LookUpEveryKey();
  }
  const std::string longName(kMaxSectionNameLength + 1, 'n');
  for (const char* name : {"no such section", "", longName.c_str()}) {
    LoadLanguageSection(text, length, name);
    LookUpEveryKey();
  }
  Check(!StringTable || StringTable[0] == '\0');  // a name too long for a header loads nothing
  return 0;
}
