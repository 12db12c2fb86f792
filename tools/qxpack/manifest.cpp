#include "manifest.h"

#include <cstdint>
#include <cstring>
#include <sstream>

#include "file_util.h"
#include "package/package.h"

namespace {

const char kBuildPrefix[] = "${BUILD}/";

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; in >> field;)
    fields.push_back(field);
  return fields;
}

std::string ResolveSource(const std::string& source, const std::string& manifestFolder,
                          const std::string& buildFolder, bool* fromBuild) {
  *fromBuild = source.compare(0, sizeof kBuildPrefix - 1, kBuildPrefix) == 0;
  if (*fromBuild) {
    const std::string rest = source.substr(sizeof kBuildPrefix - 1);
    return buildFolder.empty() ? source : buildFolder + "/" + rest;
  }
  if (!source.empty() && source[0] == '/') return source;
  return manifestFolder + "/" + source;
}

}  // namespace

bool ReadManifest(const std::string& path, const std::string& buildFolder, Manifest* manifest,
                  std::string* error) {
  std::vector<uint8_t> bytes;
  std::string reason;
  if (!ReadWholeFile(path, &bytes, &reason, kMaxManifestSize)) {
    *error = path + ": " + reason;
    return false;
  }
  // Such a file was saved as UTF-8, but entry names are bytes of the installer's code page.
  if (bytes.size() >= 3 && std::memcmp(bytes.data(), "\xef\xbb\xbf", 3) == 0) {
    *error = path + ":1: begins with a UTF-8 byte-order mark; save it as plain text";
    return false;
  }
  manifest->path = path;
  manifest->entries.clear();
  const std::string folder = FolderOf(path);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.empty() || fields[0][0] == '#') continue;
    if (fields.size() != 2) {
      *error = path + ":" + std::to_string(number) + ": expected SOURCE and ENTRY-NAME, found " +
               std::to_string(fields.size()) + " field(s)";
      return false;
    }
    ManifestEntry entry;
    entry.source = ResolveSource(fields[0], folder, buildFolder, &entry.fromBuild);
    entry.name = fields[1];
    entry.line = number;
    manifest->entries.push_back(entry);
  }
  if (manifest->entries.empty()) {
    *error = path + ": names no file; a package holds at least one";
    return false;
  }
  return true;
}

std::string EntryNameFault(const std::string& name) {
  if (name.size() > kMaxEntryNameLength) return "the name is longer than 254 bytes";
  if (name.find('/') != std::string::npos)
    return "the name uses '/'; folders are separated by '\\'";
  if (!IsPlainEntryName(name.c_str()))
    return "not a name setup can install: plain names joined by single '\\', with no drive, "
           "no . or .., no device name, none of : * ? \" < > | or a control byte, and no "
           "trailing dot or space";
  if (sizeof kDefaultInstallFolder + name.size() > 259)
    return std::string("the name under ") + kDefaultInstallFolder + "\\ is longer than 259 bytes";
  return "";
}

const ManifestEntry* FindManifestEntry(const Manifest& manifest, const std::string& name) {
  for (const ManifestEntry& entry : manifest.entries)
    if (entry.name == name) return &entry;
  return nullptr;
}
