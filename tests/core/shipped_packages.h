// Makes the shipped setup package (built by qxpack in this build) package 1, as setup.exe has
// it: on Windows through LocatePackages over the test executable's own resources, natively by
// reading the packed file. On Windows the payload package rides along as package 2; the native
// build makes no payload (its programs are Windows programs), so there package 2 is absent.
#pragma once

#include "package/package.h"

bool LoadShippedPackages();

// The language text "qxsetup.lng" of the loaded setup package (not NUL-terminated) and its
// length; false when the entry is missing.
inline bool FindShippedSetupLanguage(const char** text, int* length) {
  const PackageEntryHeader* header = nullptr;
  *text = reinterpret_cast<const char*>(FindPackageEntry(kSetupPackage, "qxsetup.lng", &header));
  *length = *text ? int(EntryDataSize(header)) : 0;
  return *text != nullptr;
}
