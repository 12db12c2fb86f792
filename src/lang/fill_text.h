// Filling the "%s" slots of a text that comes from a language file.
//
// Such a text is data, not code: it must never reach printf as a format, where a translator's
// stray %n or %d would read or write through arguments that are not there.
#pragma once

#include <cstddef>

// Writes `format` into `out` with each "%s", in order, replaced by the next of the `count`
// texts (an empty text once they run out); every other byte, a lone "%" included, is copied as
// it stands. Writes at most size - 1 bytes, cut after a whole character of the system code page,
// and always terminates (for size > 0). Returns the length of the whole result, so a value of
// `size` or more means the result was cut.
size_t FillTextSlots(char* out, size_t size, const char* format, const char* const* texts,
                     int count);

// `format` with its "%s" slots filled by `a`, `b` and `c` into the path buffer `out`
// (kPathBufferSize bytes). False when the result would not fit: a cut path names another file,
// so the caller must not use `out` then.
bool ComposePath(char* out, const char* format, const char* a, const char* b = "",
                 const char* c = "");
