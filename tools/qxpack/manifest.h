// Package manifests: one entry per line, in the order the installer is to write the files.
//
//   # comment
//   SOURCE   ENTRY-NAME
//
// SOURCE is a file path relative to the manifest's own folder, or ${BUILD}/... for a build
// output (the folder given with --build). ENTRY-NAME is the name the file gets in the package,
// with `\` separators: help\english\index.html. The two fields are separated by blanks; neither
// may contain one. Blank lines and lines starting with # are ignored.
#pragma once

#include <string>
#include <vector>

struct ManifestEntry {
  std::string source;  // resolved: manifest folder or build folder joined with the source
  std::string name;
  int line;
  bool fromBuild;  // a ${BUILD} source (unresolved when no build folder was given)
};

struct Manifest {
  std::string path;
  std::vector<ManifestEntry> entries;
};

// Reads and parses the manifest at `path`. Returns false with a message naming the file and the
// line when it cannot be read or a line does not have exactly two fields.
bool ReadManifest(const std::string& path, const std::string& buildFolder, Manifest* manifest,
                  std::string* error);

// The entry named `name`, or null.
const ManifestEntry* FindManifestEntry(const Manifest& manifest, const std::string& name);
