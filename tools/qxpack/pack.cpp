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

// What the file system says of one source, taken before any source is read (reading moves the
// last-access time, and a package too large is refused unread).
struct SourceInfo {
  uint64_t size;
  FileTimes times;
  uint32_t attributes;
};

bool MeasureSource(const std::string& path, SourceInfo* source, std::string* error) {
  struct statx info;
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(info.stx_mode)) {
    *error = S_ISDIR(info.stx_mode) ? "a folder, not a file" : "not a regular file";
    return false;
  }
  source->size = info.stx_size;
  FileTimes* times = &source->times;
  times->lastAccess = UnixToFileTime(info.stx_atime.tv_sec, info.stx_atime.tv_nsec);
  times->lastWrite = UnixToFileTime(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
  // Not every file system records a birth time; the last write is the closest it knows then.
  times->creation = (info.stx_mask & STATX_BTIME)
                        ? UnixToFileTime(info.stx_btime.tv_sec, info.stx_btime.tv_nsec)
                        : times->lastWrite;
  source->attributes = kAttributeArchive | ((info.stx_mode & 0222) ? 0 : kAttributeReadOnly);
  return true;
}

// SOURCE_DATE_EPOCH is the latest moment a build may record: a later time (a checkout's, say)
// becomes it, an earlier one stays.
void ClampTimes(FileTimes* times, uint64_t latest) {
  for (uint64_t* time : {&times->creation, &times->lastAccess, &times->lastWrite})
    if (*time > latest) *time = latest;
}

std::string Where(const Manifest& manifest, const ManifestEntry& entry) {
  return manifest.path + ":" + std::to_string(entry.line) + ": ";
}

// Judges every name and measures every source before any is read; the package's size is known
// then, and one that a setup program could not map is refused unread.
bool MeasureSources(const Manifest& manifest, std::vector<SourceInfo>* sources,
                    std::string* error) {
  uint64_t total = 0;
  for (const ManifestEntry& entry : manifest.entries) {
    const std::string fault = EntryNameFault(entry.name);
    if (!fault.empty()) {
      *error = Where(manifest, entry) + Printable(entry.name) + ": " + fault;
      return false;
    }
    SourceInfo source;
    if (!MeasureSource(entry.source, &source, error)) {
      *error = Where(manifest, entry) + entry.source + ": " + *error;
      return false;
    }
    total += entry.name.size() + 1 + sizeof(PackageEntryHeader) + source.size;
    if (total > kMaxPackageSize) {
      *error = Where(manifest, entry) + entry.source + ": the package reaches " +
               std::to_string(total) + " bytes here, more than the " +
               std::to_string(kMaxPackageSize) + " (1 GiB) a 32-bit setup program can map";
      return false;
    }
    sources->push_back(source);
  }
  return true;
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
  std::vector<SourceInfo> sources;
  if (!MeasureSources(manifest, &sources, error)) return false;
  for (size_t i = 0; i < sources.size(); ++i) {
    const ManifestEntry& entry = manifest.entries[i];
    SourceInfo& source = sources[i];
    std::vector<uint8_t> data;
    std::string reason;
    if (!ReadWholeFile(entry.source, &data, &reason, source.size)) {
      *error = Where(manifest, entry) + entry.source + ": " + reason;
      return false;
    }
    if (epoch) ClampTimes(&source.times, UnixToFileTime(*epoch, 0));
    package->insert(package->end(), entry.name.begin(), entry.name.end());
    package->push_back(0);
    PackageEntryHeader header;
    WritePackageEntryHeader(&header, uint32_t(data.size()), source.attributes,
                            source.times.creation, source.times.lastAccess, source.times.lastWrite);
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
