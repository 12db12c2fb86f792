// The text of a byte count: the whole quotient of the largest power-of-1024 unit that is at
// least 1, followed by K, M or G (no unit below 1024): 1023, 1K, 1023K, 1M, 4G.
#pragma once

#include <cstdint>

// Writes the text into `out` (at least 12 bytes) and returns `out`; it never writes more than 12
// bytes. Each quotient is taken as a signed 32-bit figure, so from 2^31 units on it wraps and a
// smaller unit or nothing is shown. A negative count, or a count whose every quotient wraps to
// 0 or below (from 2^61 bytes on, INT64_MAX among them), gives the empty text.
char* FormatByteCount(int64_t n, char* out);
