// Reading a package: listing its entries, taking one entry's data out.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The FILETIME `t` as readable UTC, "2026-12-08 05:02:46"; times beyond year 9999 as hex.
std::string FormatFileTime(uint64_t t);

// Writes one line per entry to `out`: index, size, attributes, the creation, last-access and
// last-write times as UTC, and the name. Returns true when the walk reached the package's last
// byte; false (after a line on `err` naming the offset) when it stopped at a malformed entry.
bool ListPackage(const uint8_t* bytes, uint32_t size, FILE* out, FILE* err);

// qxpack list: returns the exit status (1 for a malformed package, 2 for an unreadable file).
int ListCommand(const std::string& path);

// qxpack extract: writes the data of the first entry named `name` (byte for byte, as the
// installer finds it) to `output`, through a temporary file. Returns the exit status: 1 when the
// package holds no such entry before its end or its first malformed entry, 2 when a file cannot
// be read or written.
int ExtractCommand(const std::string& path, const std::string& name, const std::string& output);
