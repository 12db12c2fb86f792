// Building one package from a manifest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "manifest.h"

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01, the epochs of FILETIME and Unix.
constexpr int64_t kFileTimeUnixEpoch = 116444736000000000;

// The FILETIME of a Unix time; 0 for a moment before 1601.
uint64_t UnixToFileTime(int64_t seconds, uint32_t nanoseconds);

// Reads SOURCE_DATE_EPOCH: false when it is unset; an error when it is set but not a number.
bool ReadSourceDateEpoch(int64_t* seconds, std::string* error);

// Appends every entry of `manifest` to `package`, in manifest order: name, header and bytes.
// Refuses, before reading any source, a name setup could not install (EntryNameFault), a source
// that is not a regular file, and a package larger than kMaxPackageSize; every error names the
// manifest's file and line.
// Each file's attributes are FILE_ATTRIBUTE_ARCHIVE, plus read-only when it has no write
// permission; its times come from the file system, each one later than `*epoch` (when given)
// clamped to it, so that builds are byte-identical and older files keep their real times.
bool BuildPackage(const Manifest& manifest, const int64_t* epoch, std::vector<uint8_t>* package,
                  std::string* error);

// qxpack pack: builds the package of `manifestPath` into `output`. Returns the exit status.
int PackCommand(const std::string& manifestPath, const std::string& output,
                const std::string& buildFolder);
