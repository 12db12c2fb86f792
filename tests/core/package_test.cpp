#include <gtest/gtest.h>

#include <cstring>

#include "core/code_pages.h"
#include "core/package_builder.h"
#include "core/shipped_packages.h"
#include "package/package.h"

namespace {

const char kUntouched[] = "untouched";

std::string NameAt(int package, int index) {
  char name[260];
  std::strcpy(name, kUntouched);
  EXPECT_EQ(PackageEntryName(package, index, name), name);
  return name;
}

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPackageBytes(kSetupPackage, nullptr, 0);
    SetPackageBytes(kPayloadPackage, nullptr, 0);
  }
};

TEST_F(PackageTest, NumbersOtherThanOneAndTwoNameNoPackage) {
  InstalledPackage setup(kSetupPackage, PackEntries({{"a", "xyz"}}));
  InstalledPackage payload(kPayloadPackage, PackEntries({{"b", "xyz"}}));
  const PackageEntryHeader* header = reinterpret_cast<const PackageEntryHeader*>(&header);
  for (int number : {0, 3, -1}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(PackageSize(number), 0u);
    EXPECT_EQ(PackageEntryCount(number), 0);
    EXPECT_EQ(NameAt(number, 0), kUntouched);
    EXPECT_EQ(FindPackageEntry(number, "a", &header), nullptr);
    EXPECT_EQ(header, reinterpret_cast<const PackageEntryHeader*>(&header));
  }
  // The two numbers reach their own bytes.
  EXPECT_EQ(NameAt(kSetupPackage, 0), "a");
  EXPECT_EQ(NameAt(kPayloadPackage, 0), "b");
}

TEST_F(PackageTest, AbsentAndEmptyPackages) {
  const PackageEntryHeader* header = nullptr;
  EXPECT_EQ(PackageSize(kPayloadPackage), 0u);
  EXPECT_EQ(PackageEntryCount(kPayloadPackage), 0);
  EXPECT_EQ(FindPackageEntry(kPayloadPackage, "", &header), nullptr);
  InstalledPackage empty(kPayloadPackage, "");
  EXPECT_EQ(PackageSize(kPayloadPackage), 0u);
  EXPECT_EQ(PackageEntryCount(kPayloadPackage), 0);
  EXPECT_EQ(NameAt(kPayloadPackage, 0), kUntouched);
  EXPECT_EQ(FindPackageEntry(kPayloadPackage, "", &header), nullptr);
  EXPECT_EQ(header, nullptr);
}

TEST_F(PackageTest, NamesByIndex) {
  InstalledPackage p(kPayloadPackage, PackEntries({{"one", "1"}, {"help\\two", ""}, {"3", "33"}}));
  EXPECT_EQ(PackageEntryCount(kPayloadPackage), 3);
  EXPECT_EQ(NameAt(kPayloadPackage, 0), "one");
  EXPECT_EQ(NameAt(kPayloadPackage, 1), "help\\two");
  EXPECT_EQ(NameAt(kPayloadPackage, 2), "3");
  EXPECT_EQ(NameAt(kPayloadPackage, 3), kUntouched);
  EXPECT_EQ(NameAt(kPayloadPackage, -1), kUntouched);
}

TEST_F(PackageTest, FindReturnsDataAndDecodesTheUnalignedHeader) {
  TestEntry odd{"abc", "payload bytes", 0x21, 0x0123456789abcdef, 0xfedcba9876543210, 42};
  InstalledPackage p(kPayloadPackage, PackEntries({{"x", "1"}, odd}));
  const PackageEntryHeader* header = nullptr;
  const uint8_t* data = FindPackageEntry(kPayloadPackage, "abc", &header);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 13), "payload bytes");
  // "x\0" + 32 + "1" puts the second name at offset 35 and its header at the odd offset 39.
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(header), p.base() + 39);
  EXPECT_EQ(EntryDataSize(header), 13u);
  EXPECT_EQ(EntryAttributes(header), 0x21u);
  EXPECT_EQ(ReadLE64(header->creationTime), 0x0123456789abcdefu);
  EXPECT_EQ(ReadLE64(header->lastAccessTime), 0xfedcba9876543210u);
  EXPECT_EQ(ReadLE64(header->lastWriteTime), 42u);
  EXPECT_EQ(data, p.base() + 39 + 32);
  // Without a place for the header the data is still found.
  EXPECT_EQ(FindPackageEntry(kPayloadPackage, "abc", nullptr), data);
}

TEST_F(PackageTest, EmptyEntryDataEndsWhereTheNextEntryStarts) {
  InstalledPackage p(kPayloadPackage, PackEntries({{"empty", ""}, {"next", "n"}}));
  const PackageEntryHeader* header = nullptr;
  const uint8_t* data = FindPackageEntry(kPayloadPackage, "empty", &header);
  EXPECT_EQ(EntryDataSize(header), 0u);
  EXPECT_EQ(data, p.base() + 6 + 32);
  EXPECT_EQ(std::memcmp(data, "next", 5), 0);
  EXPECT_EQ(PackageEntryCount(kPayloadPackage), 2);
}

TEST_F(PackageTest, NameLookupIsExact) {
  InstalledPackage p(kPayloadPackage, PackEntries({{"help\\index.html", "first"},
                                                   {"help\\index.html", "second"},
                                                   {"qxsetup.lng", "t"}}));
  const uint8_t* data = FindPackageEntry(kPayloadPackage, "help\\index.html", nullptr);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::memcmp(data, "first", 5), 0) << "two entries of one name: the first wins";
  const PackageEntryHeader* header = nullptr;
  for (const char* other : {"QXSETUP.LNG", "Qxsetup.lng", "help/index.html", "qxsetup.ln",
                            "qxsetup.lng ", " qxsetup.lng", ""}) {
    EXPECT_EQ(FindPackageEntry(kPayloadPackage, other, &header), nullptr) << other;
    EXPECT_EQ(header, nullptr);
  }
}

TEST_F(PackageTest, DataThatLooksLikeEntriesDoesNotSteerTheWalk) {
  const std::string inner = PackEntries({{"inner", "zz"}});
  InstalledPackage p(kPayloadPackage, PackEntries({{"outer", std::string("\0\0", 2) + inner}}));
  EXPECT_EQ(PackageEntryCount(kPayloadPackage), 1);
  EXPECT_EQ(FindPackageEntry(kPayloadPackage, "inner", nullptr), nullptr);
}

// Each malformed tail ends the walk at that entry; the entries before it stay reachable and
// nothing is read outside the package (the sanitizer build checks the last part).
TEST_F(PackageTest, MalformedEntriesEndTheWalk) {
  const std::string good = PackEntries({{"good", "data"}});
  std::string wrapping = PackEntries({{"wrap", "abc"}});
  WriteLE32(reinterpret_cast<uint8_t*>(&wrapping[5]), 0xFFFFFFFFu);
  std::string overlong = PackEntries({{"long", "abc"}});
  WriteLE32(reinterpret_cast<uint8_t*>(&overlong[5]), 4);
  const struct {
    const char* what;
    std::string tail;
  } cases[] = {
      {"name without its NUL", "unterminated"},
      {"header cut short", std::string("cut\0", 4) + std::string(31, '\x01')},
      {"data running past the end", overlong},
      {"size that wraps around", wrapping},
      {"name longer than 254 bytes", PackEntries({{std::string(255, 'n'), "x"}})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InstalledPackage p(kPayloadPackage, good + c.tail);
    EXPECT_EQ(PackageEntryCount(kPayloadPackage), 1);
    EXPECT_EQ(NameAt(kPayloadPackage, 1), kUntouched);
    EXPECT_NE(FindPackageEntry(kPayloadPackage, "good", nullptr), nullptr);
    EXPECT_EQ(FindPackageEntry(kPayloadPackage, "wrap", nullptr), nullptr);
    EXPECT_EQ(FindPackageEntry(kPayloadPackage, "long", nullptr), nullptr);
    EXPECT_EQ(FindPackageEntry(kPayloadPackage, "missing", nullptr), nullptr);
  }
}

TEST_F(PackageTest, LongestNameFitsTheCallersBuffer) {
  const std::string longest(254, 'n');
  InstalledPackage p(kPayloadPackage, PackEntries({{longest, "x"}}));
  EXPECT_EQ(NameAt(kPayloadPackage, 0), longest);
  EXPECT_NE(FindPackageEntry(kPayloadPackage, longest.c_str(), nullptr), nullptr);
}

TEST(EntryName, OnlyPlainNamesBelowTheInstallFolder) {
  const char* const plain[] = {
      "quintaxel.exe", "help\\english\\index.html", " lead.txt", ".hidden", "CONSOLE.txt", "COM10"};
  const char* const refused[] = {
      "..\\x",   "a\\..\\..\\x",    ".",        "C:\\x",    "\\x",       "\\\\server\\share\\x",
      "trail\\", "help\\\\x",       "../x",     "help/x",   "NUL",       "nul.txt",
      "Com1",    "lpt9.log",        "COM\xb9",  "AUX .txt", "help\\CON", "conout$",
      "a:b",     "file.txt:stream", "q?x",      "\"x\"",    "a|b",       "tab\tname",
      "dot.",    "space ",          "help.\\x", ""};
  for (const char* name : plain)
    EXPECT_TRUE(IsPlainEntryName(name)) << name;
  for (const char* name : refused)
    EXPECT_FALSE(IsPlainEntryName(name)) << name;
  EXPECT_TRUE(IsPlainEntryName(std::string(254, 'n').c_str()));
  EXPECT_FALSE(IsPlainEntryName(std::string(255, 'n').c_str()));
  // In code page 932 the second byte of 表 and ソ is that of "\\", and that of − is "|": each is
  // a character of a name, and a lead byte alone is none.
  const CodePageScope japanese(932);
  EXPECT_TRUE(IsPlainEntryName("help\\\x95\x5C\\\x83\x5C.txt"));
  EXPECT_TRUE(IsPlainEntryName("\x81\x7C"));
  EXPECT_FALSE(IsPlainEntryName("x\x95"));
  EXPECT_FALSE(IsPlainEntryName("x\x95\x3A"));
}

TEST(ShippedSetupPackage, HoldsTheLanguageFileAndBothLicences) {
  ASSERT_TRUE(LoadShippedPackages());
  ASSERT_EQ(PackageEntryCount(kSetupPackage), 3);
  EXPECT_EQ(NameAt(kSetupPackage, 0), "qxsetup.lng");
  EXPECT_EQ(NameAt(kSetupPackage, 1), "license.rus.txt");
  EXPECT_EQ(NameAt(kSetupPackage, 2), "license.eng.txt");
  // The strides of the three entries add up to the package size exactly.
  uint32_t total = 0;
  for (int i = 0; i < 3; ++i) {
    const std::string name = NameAt(kSetupPackage, i);
    const PackageEntryHeader* header = nullptr;
    ASSERT_NE(FindPackageEntry(kSetupPackage, name.c_str(), &header), nullptr);
    EXPECT_EQ(EntryAttributes(header) & 0x20u, 0x20u);
    total += uint32_t(name.size()) + 1 + 32 + EntryDataSize(header);
  }
  EXPECT_EQ(total, PackageSize(kSetupPackage));
  const PackageEntryHeader* eng = nullptr;
  const PackageEntryHeader* rus = nullptr;
  FindPackageEntry(kSetupPackage, "license.eng.txt", &eng);
  FindPackageEntry(kSetupPackage, "license.rus.txt", &rus);
  EXPECT_EQ(EntryDataSize(eng), 1708u);
  EXPECT_EQ(EntryDataSize(rus), 1595u);
}

// Only the Windows build carries a payload package (the product's programs are Windows programs).
#ifdef _WIN32
TEST(ShippedPayloadPackage, HoldsTheProductFilesInInstallOrder) {
  ASSERT_TRUE(LoadShippedPackages());
  ASSERT_EQ(PackageEntryCount(kPayloadPackage), 45);
  EXPECT_EQ(NameAt(kPayloadPackage, 0), "quintaxel.lng");
  EXPECT_EQ(NameAt(kPayloadPackage, 1), "quintaxel.exe");
  EXPECT_EQ(NameAt(kPayloadPackage, 42), "uninstall.exe");
  EXPECT_EQ(NameAt(kPayloadPackage, 43), "license.eng.txt");
  EXPECT_EQ(NameAt(kPayloadPackage, 44), "license.rus.txt");
  uint32_t total = 0;
  for (int i = 0; i < 45; ++i) {
    const std::string name = NameAt(kPayloadPackage, i);
    if (i >= 2 && i < 42) {  // twenty help files of each language, English first
      EXPECT_EQ(name.rfind(i < 22 ? "help\\english\\" : "help\\russian\\", 0), 0u) << name;
    }
    const PackageEntryHeader* header = nullptr;
    ASSERT_NE(FindPackageEntry(kPayloadPackage, name.c_str(), &header), nullptr) << name;
    total += uint32_t(name.size()) + 1 + 32 + EntryDataSize(header);
  }
  EXPECT_NE(FindPackageEntry(kPayloadPackage, "help\\english\\index.html", nullptr), nullptr);
  EXPECT_NE(FindPackageEntry(kPayloadPackage, "help\\russian\\viewmenu.jpg", nullptr), nullptr);
  EXPECT_EQ(total, PackageSize(kPayloadPackage));  // the walk ends exactly at the package end
}
#endif

}  // namespace
