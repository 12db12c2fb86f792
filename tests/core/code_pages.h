// The lead-byte ranges of the code pages the tests run, as Windows lists them, for the tests
// and the fuzz targets.
#pragma once

#include "folders/code_page.h"

// Sets the lead bytes of `codePage`: 932, 936, 949 and 950 are double-byte, every other one
// (1252, 1251) single-byte.
inline void UseCodePage(int codePage) {
  static const unsigned char k932[kLeadByteRangeBytes] = {0x81, 0x9F, 0xE0, 0xFC};
  static const unsigned char kOthers[kLeadByteRangeBytes] = {0x81, 0xFE};  // 936, 949, 950
  const bool doubleByte = codePage == 936 || codePage == 949 || codePage == 950;
  SetLeadByteRanges(codePage == 932 ? k932 : doubleByte ? kOthers : nullptr);
}

// The code page of a test's rows for as long as it lives; then single-byte again.
struct CodePageScope {
  explicit CodePageScope(int codePage) { UseCodePage(codePage); }
  ~CodePageScope() { UseCodePage(1252); }
};
