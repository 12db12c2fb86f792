#include "pack.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_util.h"
#include "package/package.h"

namespace {

constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeArchive = 0x20;

struct FileTimes {
  uint64_t creation, lastAccess, lastWrite;
};

bool ReadFileTimes(const std::string& path, FileTimes* times, uint32_t* attributes,
                   std::string* error) {
  struct statx info;
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  times->lastAccess = UnixToFileTime(info.stx_atime.tv_sec, info.stx_atime.tv_nsec);
  times->lastWrite = UnixToFileTime(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
  // Not every file system records a birth time; the last write is the closest it knows then.
  times->creation = (info.stx_mask & STATX_BTIME)
                        ? UnixToFileTime(info.stx_btime.tv_sec, info.stx_btime.tv_nsec)
                        : times->lastWrite;
  *attributes = kAttributeArchive | ((info.stx_mode & 0222) ? 0 : kAttributeReadOnly);
  return true;
}

// SOURCE_DATE_EPOCH is the latest moment a build may record: a later time (a checkout's, say)
// becomes it, an earlier one stays.
void ClampTimes(FileTimes* times, uint64_t latest) {
  for (uint64_t* time : {&times->creation, &times->lastAccess, &times->lastWrite})
    if (*time > latest) *time = latest;
}

// A name the walk could not read back is refused; everything else is for qxpack check to judge.
bool CheckEntryName(const ManifestEntry& entry, const std::string& manifest, std::string* error) {
  if (entry.name.size() <= kMaxEntryNameLength) return true;
  *error =
      manifest + ":" + std::to_string(entry.line) + ": " + entry.name + " is longer than 254 bytes";
  return false;
}

}  // namespace

uint64_t UnixToFileTime(int64_t seconds, uint32_t nanoseconds) {
  const int64_t earliest = -kFileTimeUnixEpoch / 10000000;
  if (seconds < earliest) return 0;
  return uint64_t(seconds - earliest) * 10000000 + nanoseconds / 100;
}

bool ReadSourceDateEpoch(int64_t* seconds, std::string* error) {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text) return false;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text, &end, 10);
  if (*text == '\0' || *end != '\0' || errno == ERANGE || value < 0) {
    *error = std::string("SOURCE_DATE_EPOCH is not a number of seconds: ") + text;
    return false;
  }
  *seconds = value;
  return true;
}

bool BuildPackage(const Manifest& manifest, const int64_t* epoch, std::vector<uint8_t>* package,
                  std::string* error) {
  for (const ManifestEntry& entry : manifest.entries) {
    if (!CheckEntryName(entry, manifest.path, error)) return false;
    // The times are taken before the file is read, which moves its last-access time.
    FileTimes times;
    uint32_t attributes;
    if (!ReadFileTimes(entry.source, &times, &attributes, error)) return false;
    std::vector<uint8_t> data;
    std::string reason;
    if (!ReadWholeFile(entry.source, &data, &reason)) {
      *error =
          manifest.path + ":" + std::to_string(entry.line) + ": " + entry.source + ": " + reason;
      return false;
    }
    if (epoch) ClampTimes(&times, UnixToFileTime(*epoch, 0));
    const uint64_t total = package->size() + entry.name.size() + 1 + 32 + data.size();
    if (total > UINT32_MAX) {
      *error = manifest.path + ": the package would exceed 4 GiB at " + entry.name;
      return false;
    }
    package->insert(package->end(), entry.name.begin(), entry.name.end());
    package->push_back(0);
    PackageEntryHeader header;
    WritePackageEntryHeader(&header, uint32_t(data.size()), attributes, times.creation,
                            times.lastAccess, times.lastWrite);
    const auto* raw = reinterpret_cast<const uint8_t*>(&header);
    package->insert(package->end(), raw, raw + sizeof header);
    package->insert(package->end(), data.begin(), data.end());
  }
  return true;
}

int PackCommand(const std::string& manifestPath, const std::string& output,
                const std::string& buildFolder) {
  std::string error;
  Manifest manifest;
  int64_t epoch;
  const bool haveEpoch = ReadSourceDateEpoch(&epoch, &error);
  std::vector<uint8_t> package;
  if (!error.empty() || !ReadManifest(manifestPath, buildFolder, &manifest, &error) ||
      !BuildPackage(manifest, haveEpoch ? &epoch : nullptr, &package, &error) ||
      !WriteFileAtomically(output, package, &error)) {
    std::fprintf(stderr, "qxpack: %s\n", error.c_str());
    return 2;
  }
  return 0;
}
