#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "folders/byte_count.h"

namespace {

struct ByteCountRow {
  int64_t n;
  const char* text;
};

const int64_t kGiB = 1073741824;

const ByteCountRow kRows[] = {
    {0, "0"},
    {1023, "1023"},
    {1024, "1K"},
    {1536, "1K"},
    {1048575, "1023K"},
    {1048576, "1M"},
    {1300000, "1M"},  // a payload package of that size
    {1073741823, "1023M"},
    {kGiB, "1G"},
    {5000000000, "4G"},
    {21474836480, "20G"},
    {INT32_MAX * kGiB, "2147483647G"},  // the longest text: all 12 bytes
    // Quotients are signed 32-bit figures: from 2^31 units on they wrap, and a smaller unit shows.
    {(int64_t(1) << 61) + 1048576, "1M"},
    {int64_t(1) << 61, ""},
    {INT64_MAX, ""},
    {-1, ""},
    {-1024, ""},
    {INT64_MIN, ""},
};

TEST(ByteCountTest, Texts) {
  for (const ByteCountRow& row : kRows) {
    SCOPED_TRACE(testing::Message() << "count " << row.n);
    char out[12 + 8];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(FormatByteCount(row.n, out), out);
    EXPECT_STREQ(out, row.text);
    EXPECT_EQ(std::string(out + 12, 8), std::string(8, 'x')) << "wrote past 12 bytes";
  }
}

// The percentage against the 64-bit formula it replaces, at the edges of 32-bit counts and over
// a seeded spread of others, written both below and beyond total (the sums wrap alike).
uint32_t Percent64(uint32_t written, uint32_t total) {
  return uint32_t(uint64_t(written) * 100 / total);
}

TEST(ByteCountTest, ProgressPercent) {
  const uint32_t kEdges[] = {1,          2,          3,          99,         100,
                             101,        42949672,   42949673,   0x7FFFFFFF, 0x80000000,
                             0xFFFFFFFE, 0xFFFFFFFF, 0x9EC3F9E5, 1000000007};
  for (uint32_t total : kEdges) {
    const uint32_t written[] = {0,         1,         total - 1,  total,      total + 1,
                                total / 2, total / 3, 0xFFFFFFFF, 0xFFFFFFFE, 0x80000000};
    for (uint32_t w : written)
      EXPECT_EQ(ProgressPercent(w, total), Percent64(w, total)) << w << " of " << total;
  }
  EXPECT_EQ(ProgressPercent(0xFFFFFFFF, 0xFFFFFFFF), 100u);
  EXPECT_EQ(ProgressPercent(0xFFFFFFFE, 0xFFFFFFFF), 99u);
  EXPECT_EQ(ProgressPercent(0xFFFFFFFF, 1), 0xFFFFFF9Cu);  // 100 * (2^32 - 1), taken to 32 bits
  EXPECT_EQ(ProgressPercent(5, 0), 0u);

  // Counts of every magnitude: a seeded generator's figure shifted right by 0 to 31 bits.
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    const uint32_t shift = state % 32;
    state = state * 1664525u + 1013904223u;
    return state >> shift;
  };
  int mismatches = 0;
  for (int i = 0; i < 200000; ++i) {
    const uint32_t total = next() | 1;
    const uint32_t written = i % 2 ? next() % total : next();
    mismatches += ProgressPercent(written, total) != Percent64(written, total);
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
