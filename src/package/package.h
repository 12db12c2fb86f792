// The resource package format and the read-only operations on it.
//
// A package is a byte string of entries laid back to back from offset 0:
//   name (NUL-terminated, at most 254 bytes) | PackageEntryHeader (32 bytes) | data (`size` bytes)
// with no file header, padding or trailer; the last entry's data ends at the package's last byte.
// All integers are little-endian and the header sits at any alignment, so it is only ever read
// through ReadLE32/ReadLE64, never as native integers.
//
// The setup program and the packing tool both use this one definition: the tool writes entries
// with WritePackageEntryHeader and lists them with the same walk that the installer uses.
#pragma once

#include <cstddef>
#include <cstdint>

enum { kSetupPackage = 1, kPayloadPackage = 2 };

// The longest entry name; name lookup holds one name at a time in a 255-byte buffer.
constexpr size_t kMaxEntryNameLength = 254;

// True when `name` installs below the install folder and nowhere else: at most
// kMaxEntryNameLength bytes of plain names joined by single backslashes, so no drive, no leading
// or trailing backslash. A plain name is not empty and not a device name (NUL, nul.txt, COM1),
// holds no control byte and none of / : * ? " < > |, and ends in neither a dot nor a space,
// which also rules out "." and "..". The packing tool refuses other names; the installer
// passes over an entry that bears one.
bool IsPlainEntryName(const char* name);

struct PackageEntryHeader {
  uint8_t size[4];
  uint8_t attributes[4];
  uint8_t creationTime[8];    // FILETIME: low part, then high part
  uint8_t lastAccessTime[8];  // FILETIME
  uint8_t lastWriteTime[8];   // FILETIME
};
static_assert(sizeof(PackageEntryHeader) == 32, "the entry header is exactly 32 bytes on disk");

inline uint32_t ReadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t ReadLE64(const uint8_t* p) {
  return ReadLE32(p) | uint64_t(ReadLE32(p + 4)) << 32;
}
inline void WriteLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = uint8_t(v >> (8 * i));
}
inline void WriteLE64(uint8_t* p, uint64_t v) {
  WriteLE32(p, uint32_t(v));
  WriteLE32(p + 4, uint32_t(v >> 32));
}

inline uint32_t EntryDataSize(const PackageEntryHeader* h) {
  return ReadLE32(h->size);
}
inline uint32_t EntryAttributes(const PackageEntryHeader* h) {
  return ReadLE32(h->attributes);
}

void WritePackageEntryHeader(PackageEntryHeader* h, uint32_t size, uint32_t attributes,
                             uint64_t creationTime, uint64_t lastAccessTime,
                             uint64_t lastWriteTime);

// One decoded entry; every pointer points into the package bytes.
struct PackageEntry {
  const char* name;
  size_t nameLength;
  const PackageEntryHeader* header;
  const uint8_t* data;
  uint32_t size;
};

// Decodes the entry that starts at `offset` of the `byteSize` bytes at `base`. Returns false,
// leaving *entry and *next untouched, when the entry is malformed: its name has no NUL inside the
// range or is longer than kMaxEntryNameLength, or its header or data runs past the end. The walk
// of every operation below stops at such an entry. Never reads outside [base, base + byteSize).
bool ReadPackageEntry(const uint8_t* base, uint32_t byteSize, uint32_t offset, PackageEntry* entry,
                      uint32_t* next);

// Records the byte range of package 1 or 2 (other numbers are ignored). LocatePackages does this
// from the executable's resources; the native build and the tests hand in bytes of their own.
// The bytes must stay valid while the package is in use.
void SetPackageBytes(int package, const uint8_t* base, uint32_t byteSize);

// Windows only: records RT_RCDATA resources 1 and 2 of the running executable as the packages.
void LocatePackages();

// Byte size of package 1 or 2; 0 for another number or an absent package.
uint32_t PackageSize(int package);

// Number of well-formed entries from the start of the package.
int PackageEntryCount(int package);

// Copies the name of entry `index` (from 0), NUL included, into `name` (at least 260 bytes) and
// returns `name`. For a bad package number, an absent package or an index out of range nothing
// is written.
char* PackageEntryName(int package, int index, char* name);

// Finds the first entry whose name equals `wanted` byte for byte. Returns its first data byte and
// stores its header in *header (when header is not null); returns null and leaves *header as it
// was when there is none.
const uint8_t* FindPackageEntry(int package, const char* wanted, const PackageEntryHeader** header);
