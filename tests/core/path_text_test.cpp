#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/code_pages.h"
#include "folders/path_text.h"

namespace {

// A 260-byte destination followed by guard bytes that no function may touch.
struct GuardedPath {
  static constexpr size_t kGuard = 64;
  char bytes[kPathBufferSize + kGuard];
  GuardedPath() { std::memset(bytes, 0x5a, sizeof bytes); }
  bool GuardIntact() const {
    for (size_t i = kPathBufferSize; i < sizeof bytes; ++i) {
      if (bytes[i] != 0x5a) return false;
    }
    return true;
  }
};

struct ComponentRow {
  const char* path;
  int k;
  const char* prefix;  // nullptr: PathPrefix is not defined for this k
  const char* component;
  int codePage = 1252;
};

const ComponentRow kComponentRows[] = {
    {"C:\\Program Files\\Quintaxel", 0, "C:\\", "C:\\"},
    {"C:\\Program Files\\Quintaxel", 1, "C:\\Program Files", "Program Files"},
    {"C:\\Program Files\\Quintaxel", 2, "C:\\Program Files\\Quintaxel", "Quintaxel"},
    {"C:\\Program Files\\Quintaxel", 5, "C:\\Program Files\\Quintaxel", ""},
    {"C:\\Program Files\\Quintaxel", -1, nullptr, "C:"},
    {"C:\\Program Files\\Quintaxel\\", 2, "C:\\Program Files\\Quintaxel", "Quintaxel"},
    {"C:\\Program Files\\Quintaxel\\", 3, "C:\\Program Files\\Quintaxel", ""},
    {"C:\\Program Files\\", 1, "C:\\Program Files", "Program Files"},
    {"C:\\", 0, "C:\\", "C:\\"},
    {"C:\\", 1, "C:", ""},
    {"C:", 0, "C:", "C:\\"},
    {"C:", 1, "C:", ""},
    {"Quintaxel", 0, "Quintaxel", "Quintaxel\\"},
    {"Quintaxel", -1, nullptr, "Quintaxel"},
    {"", 0, "", "\\"},
    {"", 1, "", ""},
    {"", -1, nullptr, ""},
    {"C:\\\\x", 0, "C:\\", "C:\\"},
    {"C:\\\\x", 1, "C:\\", ""},
    {"C:\\\\x", 2, "C:\\\\x", "x"},
    {"sub\\dir", 0, "sub\\", "sub\\"},
    {"sub\\dir", 1, "sub\\dir", "dir"},
    {"\\dir", 0, "\\", "\\"},
    {"\\dir", 1, "\\dir", "dir"},
    {"C:/a/b", 0, "C:/a/b", "C:/a/b\\"},  // '/' is an ordinary character
    {"\\\\server\\share\\dir\\sub", 0, "\\\\server\\share\\", "\\\\server\\share\\"},
    {"\\\\server\\share\\dir\\sub", 1, "\\\\server\\share\\dir", "dir"},
    {"\\\\server\\share\\dir\\sub", 2, "\\\\server\\share\\dir\\sub", "sub"},
    {"\\\\server\\share\\dir\\sub", 3, "\\\\server\\share\\dir\\sub", ""},
    {"\\\\server\\share\\dir\\sub", -1, nullptr, ""},
    {"\\\\server\\share\\dir\\", 1, "\\\\server\\share\\dir", "dir"},
    {"\\\\server\\share\\", 0, "\\\\server\\share\\", "\\\\server\\share\\"},
    {"\\\\server\\share", 0, "\\\\server\\share", "\\\\server\\share\\"},
    {"\\\\server\\share", 1, "\\\\server\\share", ""},
    {"\\\\server", 0, "\\\\server", "\\\\server\\"},
    // Below 4 bytes a path is not taken as UNC: only the first separator counts for the root.
    {"\\\\x", 0, "\\", "\\"},
    // D:\表\ソ in code page 932, both ending in the byte of "\": single-byte, four separators.
    {"D:\\\x95\x5C\\\x83\x5C", 1, "D:\\\x95\x5C", "\x95\x5C", 932},
    {"D:\\\x95\x5C\\\x83\x5C", 2, "D:\\\x95\x5C\\\x83\x5C", "\x83\x5C", 932},
    {"D:\\\x95\x5C\\\x83\x5C\\", 2, "D:\\\x95\x5C\\\x83\x5C", "\x83\x5C", 932},
    {"D:\\\x95\x5C\\\x83\x5C", 1, "D:\\\x95", "\x95", 1252},
    {"\x83\x5C", 0, "\x83\x5C", "\x83\x5C\\", 932},
    {"\x83\x5C", -1, nullptr, "\x83\x5C", 932},
    {"C:\\\x81\x5C\\x", 1, "C:\\\x81\x5C", "\x81\x5C", 936},
    {"\\\\s\xB0\x5C\\share\\d", 0, "\\\\s\xB0\x5C\\share\\", "\\\\s\xB0\x5C\\share\\", 949},
    {"\\\\s\xB0\x5C\\share\\d", 1, "\\\\s\xB0\x5C\\share\\d", "d", 949},
    {"C:\\\xA5\x5C\\\xB3\x5C", 2, "C:\\\xA5\x5C\\\xB3\x5C", "\xB3\x5C", 950},
};

TEST(PathTextTest, PrefixesAndComponents) {
  for (const ComponentRow& row : kComponentRows) {
    SCOPED_TRACE(testing::Message()
                 << "path \"" << row.path << "\" k " << row.k << " code page " << row.codePage);
    const CodePageScope codePage(row.codePage);
    char dst[kPathBufferSize];
    if (row.prefix) {
      EXPECT_EQ(PathPrefix(row.path, row.k, dst), dst);
      EXPECT_STREQ(dst, row.prefix);
    }
    EXPECT_EQ(PathComponent(row.path, row.k, dst), dst);
    EXPECT_STREQ(dst, row.component);
  }
}

struct LastIndexRow {
  const char* path;
  int last;
  int codePage = 1252;
};

const LastIndexRow kLastIndexRows[] = {
    {"C:\\Program Files\\Quintaxel", 2},
    {"C:\\Program Files\\Quintaxel\\", 2},
    {"C:\\Program Files\\", 1},
    {"C:\\", 0},
    {"C:", -1},
    {"Quintaxel", -1},
    {"", -1},
    {"C:/a/b", -1},
    {"\\", 0},
    {"C:\\\\x", 2},
    {"C:\\\\", 1},  // only one of the doubled trailing separators is dropped
    {"sub\\dir", 1},
    {"\\\\server\\share\\dir\\sub", 2},
    {"\\\\server\\share\\dir\\", 1},
    {"\\\\server\\share", 0},
    {"\\\\server\\share\\", 0},
    {"\\\\server", -1},
    {"\\\\", -2},
    {"D:\\\x95\x5C\\\x83\x5C", 2, 932},
    {"D:\\\x83\x5C", 1, 932},
    {"D:\\\x83\x5C\\", 1, 932},
    {"D:\\\x95\x5C\\\x83\x5C", 3, 1252},
};

TEST(PathTextTest, LastComponentIndex) {
  for (const LastIndexRow& row : kLastIndexRows) {
    const CodePageScope codePage(row.codePage);
    EXPECT_EQ(LastComponentIndex(row.path), row.last) << "path \"" << row.path << "\"";
  }
}

TEST(PathTextTest, BoundedCopyCutsAndTerminates) {
  struct Row {
    size_t size;
    const char* text;
    size_t result;
  };
  const Row rows[] = {{0, "xxxxxxxxx", 0}, {1, "", 6}, {4, "abc", 6}, {7, "abcdef", 6}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "size " << row.size);
    char dst[10] = "xxxxxxxxx";
    EXPECT_EQ(BoundedCopy(dst, "abcdef", row.size), row.result);
    EXPECT_STREQ(dst, row.text);
    for (size_t i = std::strlen(dst) + 1; i < 9; ++i) {
      EXPECT_EQ(dst[i], 'x') << "written after the terminator at " << i;
    }
  }
}

// Paths far beyond 259 bytes: every result is cut to fit the 260-byte buffer.
TEST(PathTextTest, OverLongPathsStayInTheirBuffer) {
  std::string manyNames = "C:";
  for (int i = 0; i < 200; ++i)
    manyNames += "\\ab";
  const std::string paths[] = {
      "C:\\" + std::string(597, 'a'),
      manyNames,
      "\\\\" + std::string(300, 's') + "\\share\\dir",
      "\\\\server\\share\\" + std::string(585, 'd'),
      std::string(600, 'q'),
  };
  for (const std::string& path : paths) {
    const int last = LastComponentIndex(path.c_str());
    for (int k = -1; k <= last + 2; ++k) {
      SCOPED_TRACE(testing::Message() << "path " << path.substr(0, 20) << "... k " << k);
      GuardedPath prefix, component;
      PathPrefix(path.c_str(), k, prefix.bytes);
      PathComponent(path.c_str(), k, component.bytes);
      ASSERT_TRUE(prefix.GuardIntact());
      ASSERT_TRUE(component.GuardIntact());
      EXPECT_LT(std::strlen(prefix.bytes), size_t(kPathBufferSize));
      EXPECT_LT(std::strlen(component.bytes), size_t(kPathBufferSize));
      EXPECT_EQ(path.compare(0, std::strlen(prefix.bytes), prefix.bytes), 0);
    }
  }
  EXPECT_EQ(LastComponentIndex(manyNames.c_str()), 200);
  char dst[kPathBufferSize];
  EXPECT_STREQ(PathPrefix(paths[0].c_str(), 1, dst), paths[0].substr(0, 259).c_str());
  EXPECT_STREQ(PathComponent(paths[0].c_str(), 1, dst), std::string(259, 'a').c_str());
  EXPECT_STREQ(PathComponent(paths[2].c_str(), 0, dst),
               paths[2].substr(0, 258).append("\\").c_str());
  EXPECT_STREQ(PathComponent(paths[4].c_str(), 0, dst), (std::string(258, 'q') + "\\").c_str());

  // A cut never leaves half a character of 表 (0x95 0x5C), whose lead byte would take the
  // separator after it for its second byte.
  const CodePageScope codePage(932);
  std::string kanji;
  for (int i = 0; i < 30; ++i)
    kanji += "\x95\x5C";
  const std::string name = "C:\\" + std::string(255, 'a') + kanji;
  EXPECT_STREQ(PathPrefix(name.c_str(), 1, dst), name.substr(0, 258).c_str());
  EXPECT_STREQ(PathComponent(name.c_str(), 1, dst), name.substr(3, 259).c_str());
  const std::string server = "\\\\" + std::string(255, 's') + kanji + "\\share";
  EXPECT_STREQ(PathComponent(server.c_str(), 0, dst), server.substr(0, 257).append("\\").c_str());
}

}  // namespace
