#include "list.h"

#include <cinttypes>
#include <vector>

#include "file_util.h"
#include "package/package.h"

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian), without the C library's gmtime,
// whose range differs between systems.
void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = unsigned(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
  *day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  *month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  *year = int64_t(yearOfEra) + era * 400 + (*month <= 2);
}

}  // namespace

std::string FormatFileTime(uint64_t t) {
  const int64_t seconds = int64_t(t / 10000000) - 11644473600;
  int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) rest += 86400, days -= 1;
  int64_t year;
  unsigned month, day;
  CivilFromDays(days, &year, &month, &day);
  char text[40];
  if (year > 9999) {
    std::snprintf(text, sizeof text, "0x%016" PRIx64, t);
  } else {
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", int(year), month, day,
                  int(rest / 3600), int(rest / 60 % 60), int(rest % 60));
  }
  return text;
}

bool ListPackage(const uint8_t* bytes, uint32_t size, FILE* out, FILE* err) {
  PackageEntry entry;
  uint32_t offset = 0;
  int index = 0;
  for (uint32_t next; offset < size && ReadPackageEntry(bytes, size, offset, &entry, &next);
       offset = next, ++index) {
    const PackageEntryHeader* h = entry.header;
    std::fprintf(out, "%3d %10" PRIu32 " 0x%08" PRIx32 "  %s  %s  %s  %s\n", index, entry.size,
                 EntryAttributes(h), FormatFileTime(ReadLE64(h->creationTime)).c_str(),
                 FormatFileTime(ReadLE64(h->lastAccessTime)).c_str(),
                 FormatFileTime(ReadLE64(h->lastWriteTime)).c_str(), entry.name);
  }
  if (offset == size) return true;
  std::fprintf(err,
               "qxpack: entry %d at offset %" PRIu32 " of %" PRIu32
               " is malformed (its name, header or data runs past the end); the walk stops there\n",
               index, offset, size);
  return false;
}

namespace {

// Reads a package file whole; false after a line on standard error when it cannot be read or is
// too large to be a package (measured before it is read).
bool ReadPackageFile(const std::string& path, std::vector<uint8_t>* bytes) {
  std::string error;
  if (!ReadWholeFile(path, bytes, &error, UINT32_MAX)) {
    std::fprintf(stderr, "qxpack: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int ListCommand(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadPackageFile(path, &bytes)) return 2;
  return ListPackage(bytes.data(), uint32_t(bytes.size()), stdout, stderr) ? 0 : 1;
}

int ExtractCommand(const std::string& path, const std::string& name, const std::string& output) {
  std::vector<uint8_t> bytes;
  if (!ReadPackageFile(path, &bytes)) return 2;
  const uint32_t size = uint32_t(bytes.size());
  PackageEntry entry;
  uint32_t offset = 0;
  // The installer's walk: the first entry of that name counts, and a malformed entry ends it.
  for (uint32_t next; offset < size && ReadPackageEntry(bytes.data(), size, offset, &entry, &next);
       offset = next) {
    if (name != entry.name) continue;
    std::string error;
    if (!WriteFileAtomically(output, std::vector<uint8_t>(entry.data, entry.data + entry.size),
                             &error)) {
      std::fprintf(stderr, "qxpack: %s\n", error.c_str());
      return 2;
    }
    return 0;
  }
  if (offset == size) {
    std::fprintf(stderr, "qxpack: %s: no entry is named %s\n", path.c_str(), name.c_str());
  } else {
    std::fprintf(stderr,
                 "qxpack: %s: the entry at offset %" PRIu32
                 " is malformed; the walk stops there without finding %s\n",
                 path.c_str(), offset, name.c_str());
  }
  return 1;
}
