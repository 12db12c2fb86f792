// Path component arithmetic and the bounded copy: platform-neutral text functions.
//
// A path is a NUL-terminated byte string of at most 259 bytes in the system code page; a `\`
// that is a character of its own separates components, never the second byte of a double-byte
// character (folders/code_page.h). Component 0 is the root with its separator (C:\, or
// \\server\share\ for a UNC path); component k is the k-th name after it. Every destination is a
// caller's 260-byte buffer, and no function writes more than kPathBufferSize bytes into it,
// whatever the input length: a result that would be longer than 259 bytes is cut to the whole
// characters of its first 259 bytes (258 and the separator for a component 0). Reading stops at
// the path's terminator, so over-long input is safe, only cut.
#pragma once

#include <cstddef>

constexpr int kPathBufferSize = 260;

// The index of the last component; -1 for a path without any separator. A bare UNC lead-in
// gives less (\\ gives -2): any result below 0 means there is no component to walk.
int LastComponentIndex(const char* path);

// Writes into `dst` the path cut after component k (k >= 0) and returns `dst`. Prefix 0 keeps
// its trailing separator (C:\); longer prefixes lose it (C:\Program Files). A k beyond the last
// component gives the whole path, less a trailing separator when k is not 0 (prefix 1 of C:\ is
// C:). A UNC path is one of 4 bytes or more with two leading separators; its prefix 0 is
// \\server\share\ and its prefix k the root and the first k folder names.
char* PathPrefix(const char* path, int k, char* dst);

// Writes component k alone into `dst` and returns `dst`. Component 0 always ends with a
// separator; the others carry none. A negative k gives the text before the first separator.
// For a UNC path (as for PathPrefix) component 0 is the whole root exactly as PathPrefix at 0
// gives it, \\server\share\ (with the separator added for \\server\share), and component k >= 1
// is the k-th folder name after the root: dir and then sub for \\server\share\dir\sub. For any
// path without doubled separators, component 0 followed by components 1..k (k >= 1) with a
// separator between the names is PathPrefix at k. A negative k gives the empty text for a UNC
// path, as there is nothing before its first separator.
char* PathComponent(const char* path, int k, char* dst);

// Copies at most size - 1 bytes of `src` into `dst` and terminates it; returns the length of
// `src`, so a result of `size` or more means the copy was cut. With size 0 nothing is written
// and the result is 0.
size_t BoundedCopy(char* dst, const char* src, size_t size);
