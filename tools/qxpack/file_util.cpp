#include "file_util.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = std::strerror(errno);
    return false;
  }
  bytes->clear();
  uint8_t block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0)
    bytes->insert(bytes->end(), block, block + n);
  const bool failed = std::ferror(f);
  if (failed) *error = std::strerror(errno);
  std::fclose(f);
  return !failed;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error) {
  const std::string temporary = path + ".tmp" + std::to_string(getpid());
  FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) {
    *error = temporary + ": " + std::strerror(errno);
    return false;
  }
  // An empty vector's data() may be null, which fwrite must not be given even for no bytes.
  const bool written =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const int savedErrno = errno;
  if (std::fclose(f) != 0 || !written) {
    *error = temporary + ": " + std::strerror(written ? errno : savedErrno);
    std::remove(temporary.c_str());
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = path + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
