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

#include <cstdint>
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

// A 32-bit setup program maps its packages whole into its address space; a package is kept well
// within what it can map.
constexpr uint64_t kMaxPackageSize = uint64_t(1) << 30;
constexpr uint64_t kMaxManifestSize = uint64_t(16) << 20;

// The install folder a name is checked against: the longest path the installer writes is this
// folder, a separator and the entry name, and it must fit 259 bytes.
constexpr char kDefaultInstallFolder[] = "C:\\Program Files\\Quintaxel";

// Reads and parses the manifest at `path`. Returns false with a message naming the file (and the
// line, where there is one) when it cannot be read, begins with a byte-order mark, a line does
// not have exactly two fields, or it names no file at all.
bool ReadManifest(const std::string& path, const std::string& buildFolder, Manifest* manifest,
                  std::string* error);

// Why setup could not install an entry of this name (IsPlainEntryName, and the length below the
// default install folder), or "" when it can.
std::string EntryNameFault(const std::string& name);

// The entry named `name`, or null.
const ManifestEntry* FindManifestEntry(const Manifest& manifest, const std::string& name);
