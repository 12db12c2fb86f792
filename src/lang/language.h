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
// The longest section name: its header "[" name "]" is built in an 80-byte buffer. A longer name
// is not listed by CollectLanguageNames, and LoadLanguageSection with one leaves the table empty.
constexpr size_t kMaxSectionNameLength = 77;
// The longest key. A longer key is never found: LookupText yields "", FindTextValue null.
constexpr size_t kMaxKeyLength = 249;

// Copies the next line of `text` from *position (starting at 0) into `line` (kLineBufferSize
// bytes) and moves *position past its line end: the first CR or LF and one more CR or LF right
// after it, so CR LF, LF CR, CR CR and LF LF each count as one. A line longer than 259 bytes is
// cut there and its rest passed over. Returns `line`, or null when *position was already at the
// end of the text or at a NUL byte (or is negative); the buffer then holds the empty string and
// *position is not moved. Never reads at or beyond `length`.
char* NextTextLine(char* line, const char* text, int* position, int length);

// In place: drops leading and trailing blanks and keeps only the first byte of every run of
// blanks (tab, LF, VT, FF, CR, space), unchanged: a tab and two spaces become one tab.
void NormalizeBlanks(char* line);

// In place: turns each backslash and the byte after it into one byte (\n or \N a line feed, \t or
// \T a tab, \\ one backslash, anything else a space; a backslash at the end becomes a space),
// then drops control characters (1 to 31) from the end, so a trailing \t or \n is lost. Spaces
// and the start of the line stay. Returns `line`.
char* UnescapeLine(char* line);

// Rebuilds the LanguageList from every section header of the text, in file order, duplicates
// included; returns the number of names listed (a name dropped for want of memory is not
// counted, so LanguageName reaches every counted name).
int CollectLanguageNames(const char* text, int length);

// The name at `index` (from 0) in the LanguageList, or null when there is no list yet or no such
// name; index 0 of an empty list is the empty name.
const char* LanguageName(int index);

// Rebuilds the StringTable from the key lines of the first section named `name` (byte for
// byte), up to the next line that begins with "[" and ends with "]". No such section, a null
// name or one longer than kMaxSectionNameLength leaves the table empty.
void LoadLanguageSection(const char* text, int length, const char* name);

// The value of `key` in the StringTable: of its first line that starts with `key` followed,
// past any control bytes, by "=". The value starts after the "=" and any control bytes right
// after it. The empty string when no line matches. Never null; valid until the next
// LoadLanguageSection.
const char* LookupText(const char* key);

// Like LookupText, but null when the StringTable has no line for `key`, so that a key defined
// with an empty value can be told from a missing one.
const char* FindTextValue(const char* key);

// Process-wide buffers: names (or key lines), each followed by a NUL, closed by one more NUL;
// the empty table is two NUL bytes. Both are null until first built and live until the process
// ends.
extern char* LanguageList;
extern char* StringTable;

// The allocator the two tables and the licence text grow with (std::realloc; its blocks must be
// ones std::free releases); tests replace it to exhaust memory. When it fails, the table keeps
// what it had, still closed by its NUL pair, and the line that did not fit is dropped; when even
// the first block cannot be had the table stays null, which every reader takes as empty.
extern void* (*languageRealloc)(void* block, size_t size);
