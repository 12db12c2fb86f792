// The language text: a line reader over the text in place, two line normalisations, and the
// process-wide LanguageList and StringTable built from the text's sections.
//
// The text is never NUL-terminated as a whole: every operation takes a pointer and a length, and
// a NUL byte inside the text ends it.
#pragma once

#include <cstddef>

// Every line is read into a buffer of this size; a longer line is cut at 259 bytes and the rest
// of it, up to its line end, is passed over.
constexpr int kLineBufferSize = 260;
// The longest section name: its header "[" name "]" is built in an 80-byte buffer.
constexpr size_t kMaxSectionNameLength = 77;
// The longest key.
constexpr size_t kMaxKeyLength = 249;

// Copies the next line of `text` from *position into `line` (kLineBufferSize bytes) and moves
// *position past its line end (CR LF, LF CR, CR CR and LF LF each count as one). Returns `line`,
// or null when *position was already at the end of the text or at a NUL byte (the buffer then
// holds the empty string). Never reads at or beyond `length`.
char* NextTextLine(char* line, const char* text, int* position, int length);

// In place: drops leading and trailing blanks and keeps only the first byte of every run of
// blanks (tab, LF, VT, FF, CR, space).
void NormalizeBlanks(char* line);

// In place: turns each backslash and the byte after it into one byte (\n, \t, \\, otherwise a
// space), then drops trailing control characters. Returns `line`.
char* UnescapeLine(char* line);

// Rebuilds the LanguageList from every section header of the text; returns their number.
int CollectLanguageNames(const char* text, int length);

// The name at `index` in the LanguageList, or null.
const char* LanguageName(int index);

// Rebuilds the StringTable from the key lines of the first section named `name`.
void LoadLanguageSection(const char* text, int length, const char* name);

// The value of `key` in the StringTable; the empty string when it has none. Never null.
const char* LookupText(const char* key);

// Like LookupText, but null when the StringTable has no line for `key`, so that a key defined
// with an empty value can be told from a missing one.
const char* FindTextValue(const char* key);

// Process-wide buffers: names (or key lines), each followed by a NUL, closed by one more NUL.
// Both are null until first built and live until the process ends.
extern char* LanguageList;
extern char* StringTable;

// The allocator the two tables grow with; tests replace it to exhaust memory. When it fails,
// the table keeps what it had and the line that did not fit is dropped.
extern void* (*languageRealloc)(void* block, size_t size);
