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

}  // namespace
