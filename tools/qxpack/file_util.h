// Small file helpers of the packing tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads the whole file; false (with `error` set to the system's reason) when it cannot.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error);

// The folder part of `path` ("." when it has none), without a trailing slash.
std::string FolderOf(const std::string& path);

// Writes `bytes` to `path` through a temporary file beside it that is renamed over `path` only
// when everything was written, so a failed run never leaves a half-written file.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error);
