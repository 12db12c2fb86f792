// The package walk over arbitrary bytes: the four operations must stay inside the byte range. The
// entry-name rule is held against its promise on every listed name and on the bytes as a name.
#include <cstring>
#include <memory>

#include "package/package.h"

namespace {

// What IsPlainEntryName promises, checked apart from it: a name it lets through has no empty,
// "." or ".." component and no byte that names a drive, a stream or a second separator.
void CheckNameRule(const char* name) {
  if (!IsPlainEntryName(name)) return;
  if (std::strpbrk(name, ":/")) __builtin_trap();
  for (const char* p = name;;) {
    const char* end = std::strchr(p, '\\');
    const size_t length = end ? size_t(end - p) : std::strlen(p);
    if (length == 0 || (length <= 2 && std::strspn(p, ".") >= length)) __builtin_trap();
    if (!end) break;
    p = end + 1;
  }
}

}  // namespace

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
    CheckNameRule(name);
    if (index >= 0 && index < count) {
      // Every listed name is found, and its data lies inside the package.
      if (!found || !header) __builtin_trap();
      if (found + EntryDataSize(header) > bytes.get() + byteSize) __builtin_trap();
    }
  }
  FindPackageEntry(kPayloadPackage, "qxsetup.lng", nullptr);
  char asName[kMaxEntryNameLength + 2] = "";  // one byte longer than the rule takes
  std::memcpy(asName, data, size < sizeof asName - 1 ? size : sizeof asName - 1);
  CheckNameRule(asName);
  SetPackageBytes(kPayloadPackage, nullptr, 0);
  return 0;
}
