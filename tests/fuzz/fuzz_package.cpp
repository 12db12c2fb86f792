// The package walk over arbitrary bytes: the four operations must stay inside the byte range.
#include <cstring>
#include <memory>

#include "package/package.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  // An exactly-sized copy, so that AddressSanitizer reports a read one byte past the end.
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
  std::memcpy(bytes.get(), data, size);
  SetPackageBytes(kPayloadPackage, bytes.get(), uint32_t(size));
  const uint32_t byteSize = PackageSize(kPayloadPackage);
  const int count = PackageEntryCount(kPayloadPackage);
  char name[260];
  for (int index = -1; index <= count; ++index) {
    name[0] = '\0';
    PackageEntryName(kPayloadPackage, index, name);
    const PackageEntryHeader* header = nullptr;
    const uint8_t* found = FindPackageEntry(kPayloadPackage, name, &header);
    if (index >= 0 && index < count) {
      // Every listed name is found, and its data lies inside the package.
      if (!found || !header) __builtin_trap();
      if (found + EntryDataSize(header) > bytes.get() + byteSize) __builtin_trap();
    }
  }
  FindPackageEntry(kPayloadPackage, "qxsetup.lng", nullptr);
  SetPackageBytes(kPayloadPackage, nullptr, 0);
  return 0;
}
