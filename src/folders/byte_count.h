// Byte counts as the wizard shows them. The text of a byte count: the whole quotient of the
// largest power-of-1024 unit that is at least 1, followed by K, M or G (no unit below 1024):
// 1023, 1K, 1023K, 1M, 4G. And the copy's progress as a percentage.
#pragma once

#include <cstdint>

// Writes the text into `out` (at least 12 bytes) and returns `out`; it never writes more than 12
// bytes. Each quotient is taken as a signed 32-bit figure, so from 2^31 units on it wraps and a
// smaller unit or nothing is shown. A negative count, or a count whose every quotient wraps to
// 0 or below (from 2^61 bytes on, INT64_MAX among them), gives the empty text.
char* FormatByteCount(int64_t n, char* out);

// The progress bar's position: written * 100 / total with the quotient truncated, the product
// formed in 64 bits and the quotient taken to 32 bits, for every pair of counts; 0 for a total
// of 0. Worked out in 32-bit arithmetic, since a 64-bit division brings libgcc into setup.exe.
uint32_t ProgressPercent(uint32_t written, uint32_t total);
