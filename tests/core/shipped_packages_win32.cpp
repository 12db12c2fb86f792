#include "core/shipped_packages.h"
#include "package/package.h"

bool LoadShippedPackages() {
  SetPackageBytes(kSetupPackage, nullptr, 0);
  SetPackageBytes(kPayloadPackage, nullptr, 0);
  LocatePackages();
  return PackageSize(kSetupPackage) != 0;
}
