// The characters of the system code page, for every walk over a path or a log line.
//
// A path is a byte string in the system code page. In a double-byte code page (932, 936, 949,
// 950) a lead byte and the byte after it are one character, and that second byte may be 0x5C,
// the byte of "\": 表 is 0x95 0x5C in code page 932. So a walk that looks for a separator, a
// dot or a letter steps over characters, never single bytes: only a single-byte "\" separates.
// The lead bytes are named process-wide state, set once at start-up before a second thread
// runs (code_page_win32.h asks the system for them); until then, and for every single-byte code
// page, there are none and every byte is a character.
#pragma once

#include <cstddef>

// The size of the system's list of lead-byte ranges.
constexpr int kLeadByteRangeBytes = 12;

// Takes the lead bytes from `ranges`: pairs of the first and the last lead byte of a range,
// ended by a pair of zero bytes or after kLeadByteRangeBytes bytes, as the system lists them.
// Null sets none.
void SetLeadByteRanges(const unsigned char* ranges);

bool IsLeadByte(char c);

// The bytes of the character at `p` (not the terminator): 2 for a lead byte followed by a byte
// other than the terminator, else 1. A lead byte just before the terminator stands alone.
size_t CharacterLength(const char* p);

// The length of the longest run of whole characters within the first `length` bytes of `text`
// (a terminated text at least that long): where it may be cut without leaving half a character.
size_t WholeCharacters(const char* text, size_t length);

// The first and the last character of `text` that is the single byte `c`; null when none is.
const char* FindCharacter(const char* text, char c);
const char* FindLastCharacter(const char* text, char c);

// True when the last character of `text` is the single byte `c`.
bool EndsWithCharacter(const char* text, char c);
