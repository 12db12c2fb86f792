// The language text loader and the two process-wide tables built from it. Platform-neutral: it
// works on a pointer and a length, whatever memory the text lies in.
#include "lang/language.h"

#include <cstdlib>
#include <cstring>

char* LanguageList = nullptr;
char* StringTable = nullptr;
void* (*languageRealloc)(void* block, size_t size) = std::realloc;

namespace {

// Tab, line feed, vertical tab, form feed, carriage return and space. Bytes 128 to 255 are
// letters of the section's code page (160 is the Windows-1251 no-break space) and never blanks.
bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Bytes 1 to 31. Compared as unsigned so that the letters 128 to 255 do not count.
bool IsControl(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 31;
}

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

// "[" ... "]" as one line; "[]" counts, a lone "[" does not.
bool IsBracketed(const char* line) {
  const size_t length = std::strlen(line);
  return length >= 2 && line[0] == '[' && line[length - 1] == ']';
}

// Both tables are runs of NUL-terminated entries closed by one more NUL; no entry is empty, so
// the first empty entry is the end. Returns the offset of that closing NUL.
size_t TableEnd(const char* table) {
  size_t end = 0;
  while (table[end] != '\0')
    end += std::strlen(table + end) + 1;
  return end;
}

// Makes *table the empty table, two NUL bytes. When the shrink fails the old block is still
// valid (and at least two bytes long), so it is emptied in place; when there is no block and
// none can be had, the table stays null, which every reader takes as empty.
void EmptyTable(char** table) {
  if (void* block = languageRealloc(*table, 2)) *table = static_cast<char*>(block);
  if (*table) std::memset(*table, 0, 2);
}

// Appends `length` bytes and their NUL before the closing NUL; the logical size grows by exactly
// length + 1. When the table cannot grow it keeps what it had and the entry is dropped: returns
// false.
bool AppendToTable(char** table, const char* bytes, size_t length) {
  const size_t end = *table ? TableEnd(*table) : 0;
  void* block = languageRealloc(*table, end + length + 2);
  if (!block) return false;
  char* grown = static_cast<char*>(block);
  std::memcpy(grown + end, bytes, length);
  grown[end + length] = '\0';
  grown[end + length + 1] = '\0';
  *table = grown;
  return true;
}

// What a backslash turns the byte after it into.
char EscapedByte(char c) {
  switch (c) {
    case 'n':
    case 'N':
      return '\n';
    case 't':
    case 'T':
      return '\t';
    case '\\':
      return '\\';
    default:
      return ' ';
  }
}

bool IsKeyLine(const char* line) {
  return line[0] != '\0' && line[0] != '#' && std::strchr(line, '=') != nullptr;
}

// Builds "[" name "]" in an 80-byte header; false when the name does not fit.
bool BuildSectionHeader(const char* name, char (&header)[kMaxSectionNameLength + 3]) {
  const size_t length = std::strlen(name);
  if (length > kMaxSectionNameLength) return false;
  header[0] = '[';
  std::memcpy(header + 1, name, length);
  header[length + 1] = ']';
  header[length + 2] = '\0';
  return true;
}

// Moves *position past the line that `header` heads; false when no line equals it.
bool FindSectionHeader(const char* text, int length, const char* header, int* position) {
  char line[kLineBufferSize];
  while (NextTextLine(line, text, position, length)) {
    NormalizeBlanks(line);
    if (std::strcmp(line, header) == 0) return true;
  }
  return false;
}

}  // namespace

char* NextTextLine(char* line, const char* text, int* position, int length) {
  const int start = *position;
  line[0] = '\0';
  if (start < 0 || start >= length || text[start] == '\0') return nullptr;

  int stop = start;
  while (stop < length && text[stop] != '\0' && !IsLineEnd(text[stop]))
    ++stop;
  // A line longer than the buffer keeps its first 259 bytes; the rest was passed over above.
  const int kept = stop - start < kLineBufferSize - 1 ? stop - start : kLineBufferSize - 1;
  std::memcpy(line, text + start, kept);
  line[kept] = '\0';

  // One line end is one or two bytes: the first CR or LF, then one more CR or LF if there is
  // one. So CR LF CR LF leaves an empty line between, but LF LF does not.
  if (stop < length && IsLineEnd(text[stop])) ++stop;
  if (stop < length && IsLineEnd(text[stop])) ++stop;
  *position = stop;
  return line;
}

void NormalizeBlanks(char* line) {
  const char* from = line;
  while (IsBlank(*from))
    ++from;
  char* to = line;
  bool inBlankRun = false;
  for (; *from != '\0'; ++from) {
    const bool blank = IsBlank(*from);
    // The first byte of a run stays as it is: a tab stays a tab.
    if (!(blank && inBlankRun)) *to++ = *from;
    inBlankRun = blank;
  }
  if (to > line && IsBlank(to[-1])) --to;
  *to = '\0';
}

char* UnescapeLine(char* line) {
  char* to = line;
  for (const char* from = line; *from != '\0'; ++from) {
    if (*from != '\\') {
      *to++ = *from;
      continue;
    }
    // The produced byte is written behind the scan, so it is never taken as an escape again.
    ++from;
    *to++ = EscapedByte(*from);
    if (*from == '\0') break;  // a backslash at the very end became a space
  }
  *to = '\0';
  // An escaped tab or line feed at the end is stripped like any other trailing control byte.
  while (to > line && IsControl(to[-1]))
    *--to = '\0';
  return line;
}

int CollectLanguageNames(const char* text, int length) {
  EmptyTable(&LanguageList);
  char line[kLineBufferSize];
  int count = 0;
  for (int position = 0; NextTextLine(line, text, &position, length);) {
    NormalizeBlanks(line);
    const size_t lineLength = std::strlen(line);
    // Longer than "[]": an empty name would end the list.
    if (lineLength <= 2 || !IsBracketed(line)) continue;
    // A name whose header would not fit the header buffer could never be loaded: not listed.
    const size_t nameLength = lineLength - 2;
    if (nameLength > kMaxSectionNameLength) continue;
    if (AppendToTable(&LanguageList, line + 1, nameLength)) ++count;
  }
  return count;
}

const char* LanguageName(int index) {
  if (!LanguageList || index < 0) return nullptr;
  const char* name = LanguageList;
  for (int i = 0; i < index; ++i) {
    if (*name == '\0') return nullptr;  // the closing NUL: the list is shorter
    name += std::strlen(name) + 1;
  }
  // Standing on the closing NUL is the empty name: a result only for index 0 of an empty list.
  if (*name == '\0' && index > 0) return nullptr;
  return name;
}

void LoadLanguageSection(const char* text, int length, const char* name) {
  EmptyTable(&StringTable);
  char header[kMaxSectionNameLength + 3];
  if (!name || !BuildSectionHeader(name, header)) return;
  int position = 0;
  if (!FindSectionHeader(text, length, header, &position)) return;

  char line[kLineBufferSize];
  while (NextTextLine(line, text, &position, length)) {
    UnescapeLine(line);
    // Key lines are not blank-normalised, so neither is the next header: " [x]" does not end
    // the section.
    if (IsBracketed(line)) return;
    if (IsKeyLine(line)) AppendToTable(&StringTable, line, std::strlen(line));
  }
}

const char* FindTextValue(const char* key) {
  if (!StringTable || !key) return nullptr;
  const size_t keyLength = std::strlen(key);
  if (keyLength > kMaxKeyLength) return nullptr;
  for (const char* line = StringTable; *line != '\0'; line += std::strlen(line) + 1) {
    if (std::strncmp(line, key, keyLength) != 0) continue;
    // Control bytes (a tab) may stand between key and "="; a space may not, and neither may
    // more letters, so "sc1" does not stop at "sc1src=".
    const char* rest = line + keyLength;
    while (IsControl(*rest))
      ++rest;
    if (*rest != '=') continue;
    ++rest;
    while (IsControl(*rest))
      ++rest;
    return rest;
  }
  return nullptr;
}

const char* LookupText(const char* key) {
  const char* value = FindTextValue(key);
  return value ? value : "";
}
