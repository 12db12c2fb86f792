// Small file helpers of the packing tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The byte size of the regular file at `path`, measured without reading it; false with `error`
// set to the reason when it cannot be measured or is a folder or some other kind of file.
bool MeasureFile(const std::string& path, uint64_t* size, std::string* error);

// Measures the file first and reads it only when it is a regular file of at most `limit` bytes,
// so a file too large for a package is refused without being read. False with `error` set to the
// reason when it cannot be read, is too large, or changes its size while it is read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error,
                   uint64_t limit);

// `text` for a message: bytes beyond printable ASCII as \xNN, so a name in another code page,
// a byte-order mark or a control byte can be seen.
std::string Printable(const std::string& text);

// The folder part of `path` ("." when it has none), without a trailing slash.
std::string FolderOf(const std::string& path);

// Writes `bytes` to `path` through a temporary file beside it that is renamed over `path` only
// when everything was written, so a failed run never leaves a half-written file. The error names
// `path`, not the temporary file.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error);
