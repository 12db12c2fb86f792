// The data contracts checked before a release, over the manifests and the files they name.
#pragma once

#include <cstdio>
#include <string>

#include "manifest.h"

// Writes one line per finding to `out` and returns their number. `payload` may be null: the
// checks that need the payload are then left out.
int CheckData(const Manifest& setup, const Manifest* payload, FILE* out);

// qxpack check: 0 when clean, 1 with findings, 2 when a manifest cannot be read.
int CheckCommand(const std::string& setupManifest, const std::string& payloadManifest,
                 const std::string& buildFolder);
