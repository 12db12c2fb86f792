// The licence text: a copy of the setup package entry that the `license` key names.
#include "lang/license.h"

#include <cstdlib>
#include <cstring>

#include "lang/language.h"
#include "package/package.h"

char* licenseText = nullptr;

namespace {

// Stands in for the licence text when not even one byte can be had, so that licenseText is
// always a valid string once loaded. It is never reallocated or freed.
char noLicenseText[1] = "";

// Makes licenseText a block of `size` bytes; false when it cannot grow, leaving licenseText a
// valid empty string (the old block emptied, or noLicenseText).
bool GrowLicenseText(size_t size) {
  char* old = licenseText == noLicenseText ? nullptr : licenseText;
  if (void* block = languageRealloc(old, size)) {
    licenseText = static_cast<char*>(block);
    return true;
  }
  // A failed realloc leaves the old block as it was: it stays ours, emptied.
  licenseText = old ? old : noLicenseText;
  licenseText[0] = '\0';
  return false;
}

}  // namespace

void LoadLicenseText() {
  const PackageEntryHeader* header = nullptr;
  const uint8_t* data = FindPackageEntry(kSetupPackage, LookupText("license"), &header);
  const uint32_t size = data ? EntryDataSize(header) : 0;
  if (!GrowLicenseText(size_t(size) + 1)) return;
  // The data is not terminated in the package: the copy is bounded by `size`, and ends early at
  // a NUL inside the data.
  const void* nul = size ? std::memchr(data, 0, size) : nullptr;
  const size_t length = nul ? static_cast<const uint8_t*>(nul) - data : size;
  if (length) std::memcpy(licenseText, data, length);
  licenseText[length] = '\0';
}

void FreeLicenseText() {
  if (licenseText != noLicenseText) std::free(licenseText);
  licenseText = nullptr;
}
