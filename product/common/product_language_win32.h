// What the product's programs share at start-up: reading a whole file, and loading the section
// of quintaxel.lng that the setup program named in the product's settings key.
#pragma once

// The most ReadWholeFile reads: a log or language file larger than that is a damaged one.
constexpr unsigned long kMostFileBytes = 16ul << 20;

// The whole file in a block of its exact size (free it with std::free), or null when it cannot
// be read, is empty or is larger than kMostFileBytes.
char* ReadWholeFile(const char* path, int* length);

// Fills the StringTable from the quintaxel.lng beside `programPath`: the section named by the
// "language" value of the product's settings key, or the first section when the value is
// missing or names none. Nothing is loaded when the file cannot be read or is too large. The table
// keeps copies of the lines, so the file is not needed afterwards.
void LoadProductLanguage(const char* programPath);
