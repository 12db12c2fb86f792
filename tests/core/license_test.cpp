#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/package_builder.h"
#include "core/shipped_packages.h"
#include "lang/language.h"
#include "lang/license.h"
#include "package/package.h"

namespace {

// Makes `license=<name>` the current StringTable (no key line at all for a null name).
void SetLicenseKey(const char* name) {
  const std::string text = std::string("[L]\r\n") + (name ? std::string("license=") + name : "");
  LoadLanguageSection(text.data(), int(text.size()), "L");
}

// The entry after each licence starts with a name, so a copy that ran past its entry's data
// would pick that name up.
const std::string kPackage = PackEntries({{"lic.txt", "Line one\r\nLine two\r\n"},
                                          {"nul.txt", std::string("before\0after", 12)},
                                          {"empty.txt", ""},
                                          {"next entry", "zz"}});

class LicenseText : public ::testing::Test {
 protected:
  void TearDown() override {
    languageRealloc = std::realloc;
    FreeLicenseText();
  }
};

TEST_F(LicenseText, CopiesTheEntryNamedByTheLicenseKey) {
  InstalledPackage setup(kSetupPackage, kPackage);
  const struct {
    const char* key;
    std::string text;
  } cases[] = {
      {"lic.txt", "Line one\r\nLine two\r\n"},
      {"nul.txt", "before"},  // a NUL inside the data ends the copy
      {"empty.txt", ""},
      {"missing.txt", ""},
      {"LIC.TXT", ""},
      {"", ""},
      {nullptr, ""},  // no license key
      {"lic.txt", "Line one\r\nLine two\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key ? c.key : "(no key)");
    SetLicenseKey(c.key);
    LoadLicenseText();
    ASSERT_NE(licenseText, nullptr);
    EXPECT_EQ(std::string(licenseText), c.text);
  }
  FreeLicenseText();
  EXPECT_EQ(licenseText, nullptr);
}

TEST_F(LicenseText, NoPackageGivesTheEmptyText) {
  SetPackageBytes(kSetupPackage, nullptr, 0);
  SetLicenseKey("lic.txt");
  LoadLicenseText();
  ASSERT_NE(licenseText, nullptr);
  EXPECT_STREQ(licenseText, "");
}

void* FailingRealloc(void*, size_t) {
  return nullptr;
}

TEST_F(LicenseText, StaysAValidEmptyStringWhenItCannotGrow) {
  InstalledPackage setup(kSetupPackage, kPackage);
  SetLicenseKey("lic.txt");
  LoadLicenseText();
  ASSERT_STRNE(licenseText, "");

  // The old block is kept and emptied.
  languageRealloc = FailingRealloc;
  LoadLicenseText();
  ASSERT_NE(licenseText, nullptr);
  EXPECT_STREQ(licenseText, "");

  // Not even the first block: still a valid empty string, and freeing it is harmless.
  FreeLicenseText();
  LoadLicenseText();
  ASSERT_NE(licenseText, nullptr);
  EXPECT_STREQ(licenseText, "");
  FreeLicenseText();
  EXPECT_EQ(licenseText, nullptr);
  LoadLicenseText();

  // Memory back: the text loads again.
  languageRealloc = std::realloc;
  LoadLicenseText();
  EXPECT_STREQ(licenseText, "Line one\r\nLine two\r\n");
}

// The shipped setup package with its language text and both licences.
class ShippedLicense : public LicenseText {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadShippedPackages()) << "the shipped setup package is not built";
    ASSERT_TRUE(FindShippedSetupLanguage(&text_, &length_));
  }
  void Load(const char* section) {
    LoadLanguageSection(text_, length_, section);
    LoadLicenseText();
  }
  // The licence must equal the whole entry, ending with its last byte.
  static void ExpectEntry(const char* name, size_t size) {
    const PackageEntryHeader* header = nullptr;
    const uint8_t* data = FindPackageEntry(kSetupPackage, name, &header);
    ASSERT_NE(data, nullptr) << name;
    EXPECT_EQ(EntryDataSize(header), size);
    ASSERT_EQ(std::strlen(licenseText), size);
    EXPECT_EQ(std::memcmp(licenseText, data, size), 0);
    EXPECT_EQ(licenseText[size - 1], '\n');
  }

  const char* text_ = nullptr;
  int length_ = 0;
};

TEST_F(ShippedLicense, FollowsTheLanguage) {
  Load("English");
  ExpectEntry("license.eng.txt", 1708);
  Load("\xD0\xF3\xF1\xF1\xEA\xE8\xE9");
  EXPECT_STREQ(LookupText("license"), "license.rus.txt");
  ExpectEntry("license.rus.txt", 1595);
  Load("English");
  ExpectEntry("license.eng.txt", 1708);
}

}  // namespace
