// Builds package bytes in memory for the tests, with the same header writer the packing tool
// uses, and hands them to the walk in a heap block of exactly their size, so that the sanitizer
// build sees any read past the end.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "package/package.h"

struct TestEntry {
  std::string name;
  std::string data;
  uint32_t attributes = 0x20;
  uint64_t creationTime = 0x01d0000000000001;
  uint64_t lastAccessTime = 0x01d0000000000002;
  uint64_t lastWriteTime = 0x01d0000000000003;
};

inline std::string PackEntries(const std::vector<TestEntry>& entries) {
  std::string bytes;
  for (const TestEntry& e : entries) {
    bytes += e.name;
    bytes += '\0';
    PackageEntryHeader h;
    WritePackageEntryHeader(&h, uint32_t(e.data.size()), e.attributes, e.creationTime,
                            e.lastAccessTime, e.lastWriteTime);
    bytes.append(reinterpret_cast<const char*>(&h), sizeof h);
    bytes += e.data;
  }
  return bytes;
}

// Owns an exactly-sized copy of some package bytes and installs it as a package number.
class InstalledPackage {
 public:
  InstalledPackage(int package, const std::string& bytes)
      : package_(package), block_(new uint8_t[bytes.size() ? bytes.size() : 1]) {
    std::memcpy(block_.get(), bytes.data(), bytes.size());
    SetPackageBytes(package_, block_.get(), uint32_t(bytes.size()));
  }
  ~InstalledPackage() { SetPackageBytes(package_, nullptr, 0); }
  const uint8_t* base() const { return block_.get(); }

 private:
  int package_;
  std::unique_ptr<uint8_t[]> block_;
};
