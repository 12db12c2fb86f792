// Path component arithmetic and the bounded copy: platform-neutral text functions.
//
// A path is a NUL-terminated byte string of at most 259 bytes; `\` separates components.
// Component 0 is the root with its separator (C:\, or \\server\share\ for a UNC path);
// component k is the k-th name after it. Every destination is a caller's 260-byte buffer, and no
// function writes more than kPathBufferSize bytes into it, whatever the input length.
#pragma once

#include <cstddef>

constexpr int kPathBufferSize = 260;

// The index of the last component; -1 for a path without any separator.
int LastComponentIndex(const char* path);

// Writes into `dst` the path cut after component k (k >= 0) and returns `dst`. Prefix 0 keeps
// its trailing separator (C:\); longer prefixes lose it (C:\Program Files).
char* PathPrefix(const char* path, int k, char* dst);

// Writes component k alone into `dst` and returns `dst`. Component 0 always ends with a
// separator; the others carry none. A negative k gives the text before the first separator.
char* PathComponent(const char* path, int k, char* dst);

// Copies at most size - 1 bytes of `src` into `dst` and terminates it; returns the length of
// `src`, so a result of `size` or more means the copy was cut. With size 0 nothing is written
// and the result is 0.
size_t BoundedCopy(char* dst, const char* src, size_t size);
