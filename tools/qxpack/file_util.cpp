#include "file_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool SizeOfRegularFile(const struct stat& info, uint64_t* size, std::string* error) {
  if (!S_ISREG(info.st_mode)) {
    *error = S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a regular file";
    return false;
  }
  *size = uint64_t(info.st_size);
  return true;
}

bool ReadOpenFile(FILE* f, uint64_t limit, std::vector<uint8_t>* bytes, std::string* error) {
  struct stat info;
  uint64_t size = 0;
  if (fstat(fileno(f), &info) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  if (!SizeOfRegularFile(info, &size, error)) return false;
  if (size > limit) {
    *error = std::to_string(size) + " bytes, more than the " + std::to_string(limit) +
             " bytes allowed for it";
    return false;
  }
  // One byte more than measured is asked for: a file that grew since is noticed, not cut.
  bytes->resize(size_t(size) + 1);
  const size_t got = std::fread(bytes->data(), 1, bytes->size(), f);
  bytes->resize(got);
  if (std::ferror(f)) {
    *error = std::strerror(errno);
    return false;
  }
  if (got != size) *error = "its size changed while it was read";
  return got == size;
}

}  // namespace

bool MeasureFile(const std::string& path, uint64_t* size, std::string* error) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) return SizeOfRegularFile(info, size, error);
  *error = std::strerror(errno);
  return false;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error,
                   uint64_t limit) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = std::strerror(errno);
    return false;
  }
  const bool read = ReadOpenFile(f, limit, bytes, error);
  std::fclose(f);
  return read;
}

std::string Printable(const std::string& text) {
  std::string shown;
  for (const unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      shown += char(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      shown += hex;
    }
  }
  return shown;
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
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  // An empty vector's data() may be null, which fwrite must not be given even for no bytes.
  const bool written =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const int savedErrno = errno;
  if (std::fclose(f) != 0 || !written) {
    *error = path + ": " + std::strerror(written ? errno : savedErrno);
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
