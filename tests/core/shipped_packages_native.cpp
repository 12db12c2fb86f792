#include <cstdio>
#include <vector>

#include "core/shipped_packages.h"
#include "package/package.h"

bool LoadShippedPackages() {
  static std::vector<uint8_t> bytes;
  if (bytes.empty()) {
    FILE* f = std::fopen(QX_SETUP_PACKAGE_FILE, "rb");
    if (!f) return false;
    uint8_t block[8192];
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
      bytes.insert(bytes.end(), block, block + n);
    std::fclose(f);
  }
  SetPackageBytes(kSetupPackage, bytes.data(), uint32_t(bytes.size()));
  SetPackageBytes(kPayloadPackage, nullptr, 0);
  return !bytes.empty();
}
