// qxpack list over arbitrary files: it must print or refuse, never crash or read past the end.
#include <cstdio>
#include <cstring>
#include <memory>

#include "list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
  std::memcpy(bytes.get(), data, size);
  static FILE* sink = std::fopen("/dev/null", "w");
  ListPackage(bytes.get(), uint32_t(size), sink, sink);
  return 0;
}
