// The package walk: platform-neutral, over a byte range per package number.
#include "package/package.h"

#include <cstring>

#include "folders/code_page.h"

namespace {

struct PackageBytes {
  const uint8_t* base;
  uint32_t byteSize;
};

// Process-wide located state: null and 0 until the packages are located.
PackageBytes packages[2];

const PackageBytes* SelectPackage(int package) {
  if (package != kSetupPackage && package != kPayloadPackage) return nullptr;
  const PackageBytes* p = &packages[package - 1];
  return p->base ? p : nullptr;
}

// Windows keeps '/' as a second separator; the other bytes name streams or are wildcards.
bool IsEntryNameByte(char c) {
  return static_cast<unsigned char>(c) >= 32 && !std::strchr("\\/:*?\"<>|", c);
}

// Windows opens a device for these, whatever follows the first dot and with spaces before it:
// "nul.txt" and "COM1 .log" are devices too. COM and LPT take a digit or a superscript 1, 2, 3.
bool IsDeviceName(const char* name, size_t length) {
  size_t base = 0;
  while (base < length && name[base] != '.')
    ++base;
  while (base > 0 && name[base - 1] == ' ')
    --base;
  char upper[8];
  if (base >= sizeof upper) return false;
  for (size_t i = 0; i < base; ++i)
    upper[i] = name[i] >= 'a' && name[i] <= 'z' ? char(name[i] - 'a' + 'A') : name[i];
  upper[base] = '\0';
  if (base == 4 && (std::memcmp(upper, "COM", 3) == 0 || std::memcmp(upper, "LPT", 3) == 0))
    return (upper[3] >= '0' && upper[3] <= '9') || std::strchr("\xb9\xb2\xb3", upper[3]);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (std::strcmp(upper, device) == 0) return true;
  return false;
}

// The bytes of the name character at `p`, or 0 where there is none: a double-byte character of
// the system code page is one, whatever its second byte (the "\\" of 表 in 932 separates nothing),
// but a lead byte alone or before a byte below 0x40, which no code page takes as a second byte,
// is none.
size_t NameCharacterLength(const char* p) {
  if (IsLeadByte(*p)) return static_cast<unsigned char>(p[1]) >= 0x40 ? 2 : 0;
  return IsEntryNameByte(*p) ? 1 : 0;
}

}  // namespace

bool IsPlainEntryName(const char* name) {
  if (std::strlen(name) > kMaxEntryNameLength) return false;
  for (const char* p = name;; ++p) {
    const char *start = p, *last = nullptr;
    for (size_t length; (length = NameCharacterLength(p)) > 0; p += length)
      last = p;
    if (!last || (CharacterLength(last) == 1 && (*last == '.' || *last == ' ')) ||
        IsDeviceName(start, size_t(p - start)))
      return false;
    if (*p == '\0') return true;
    if (*p != '\\') return false;  // a control byte, a lead byte alone or a refused byte
  }
}

void WritePackageEntryHeader(PackageEntryHeader* h, uint32_t size, uint32_t attributes,
                             uint64_t creationTime, uint64_t lastAccessTime,
                             uint64_t lastWriteTime) {
  WriteLE32(h->size, size);
  WriteLE32(h->attributes, attributes);
  WriteLE64(h->creationTime, creationTime);
  WriteLE64(h->lastAccessTime, lastAccessTime);
  WriteLE64(h->lastWriteTime, lastWriteTime);
}

bool ReadPackageEntry(const uint8_t* base, uint32_t byteSize, uint32_t offset, PackageEntry* entry,
                      uint32_t* next) {
  if (offset >= byteSize) return false;
  const uint8_t* name = base + offset;
  const size_t room = byteSize - offset;
  const size_t scan = room < kMaxEntryNameLength + 1 ? room : kMaxEntryNameLength + 1;
  const void* nul = std::memchr(name, 0, scan);
  if (!nul) return false;
  const size_t nameLength = static_cast<const uint8_t*>(nul) - name;
  // 64-bit arithmetic: a `size` near 4 GiB must not wrap around to an offset inside the range.
  const uint64_t headerStart = uint64_t(offset) + nameLength + 1;
  const uint64_t dataStart = headerStart + sizeof(PackageEntryHeader);
  if (dataStart > byteSize) return false;
  const auto* header = reinterpret_cast<const PackageEntryHeader*>(base + headerStart);
  const uint32_t size = EntryDataSize(header);
  const uint64_t end = dataStart + size;
  if (end > byteSize) return false;
  entry->name = reinterpret_cast<const char*>(name);
  entry->nameLength = nameLength;
  entry->header = header;
  entry->data = base + dataStart;
  entry->size = size;
  *next = uint32_t(end);
  return true;
}

void SetPackageBytes(int package, const uint8_t* base, uint32_t byteSize) {
  if (package != kSetupPackage && package != kPayloadPackage) return;
  packages[package - 1] = {base, base ? byteSize : 0};
}

uint32_t PackageSize(int package) {
  const PackageBytes* p = SelectPackage(package);
  return p ? p->byteSize : 0;
}

int PackageEntryCount(int package) {
  const PackageBytes* p = SelectPackage(package);
  if (!p) return 0;
  int count = 0;
  PackageEntry entry;
  for (uint32_t offset = 0; ReadPackageEntry(p->base, p->byteSize, offset, &entry, &offset);)
    ++count;
  return count;
}

char* PackageEntryName(int package, int index, char* name) {
  const PackageBytes* p = SelectPackage(package);
  if (!p || index < 0) return name;
  PackageEntry entry;
  uint32_t offset = 0;
  for (int position = 0; ReadPackageEntry(p->base, p->byteSize, offset, &entry, &offset);
       ++position) {
    if (position == index) {
      std::memcpy(name, entry.name, entry.nameLength + 1);
      break;
    }
  }
  return name;
}

const uint8_t* FindPackageEntry(int package, const char* wanted,
                                const PackageEntryHeader** header) {
  const PackageBytes* p = SelectPackage(package);
  if (!p) return nullptr;
  PackageEntry entry;
  for (uint32_t offset = 0; ReadPackageEntry(p->base, p->byteSize, offset, &entry, &offset);) {
    if (std::strcmp(entry.name, wanted) == 0) {
      if (header) *header = entry.header;
      return entry.data;
    }
  }
  return nullptr;
}
