// LocatePackages for Windows: the two packages are RT_RCDATA resources 1 and 2 of the running
// executable, read in place from its loaded image.
#include <windows.h>

#include "package/package.h"

void LocatePackages() {
  for (int package = kSetupPackage; package <= kPayloadPackage; ++package) {
    // No language is chosen: the resources may carry any language tag.
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(package), MAKEINTRESOURCEA(10));
    if (!resource) continue;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    if (!loaded) continue;
    const void* data = LockResource(loaded);
    SetPackageBytes(package, static_cast<const uint8_t*>(data), SizeofResource(nullptr, resource));
  }
}
