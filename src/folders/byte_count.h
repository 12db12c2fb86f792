// The text of a byte count: the whole quotient of the largest power-of-1024 unit that is at
// least 1, followed by K, M or G (no unit below 1024): 1023, 1K, 1023K, 1M, 4G.
#pragma once

#include <cstdint>

// Writes the text into `out` (at least 12 bytes) and returns `out`.
char* FormatByteCount(int64_t n, char* out);
