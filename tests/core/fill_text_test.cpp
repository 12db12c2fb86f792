#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/command_line.h"
#include "core/code_pages.h"
#include "folders/path_text.h"
#include "lang/fill_text.h"

namespace {

TEST(FillTextSlots, FillsEachSlotInOrderAndCopiesEverythingElse) {
  const char* const three[] = {"C:\\Program Files\\Quintaxel", "yes", "no"};
  const struct {
    const char* format;
    const char* expected;
  } rows[] = {
      {"Destination folder: '%s'\nCreate shortcuts: %s\nPlace shortcut on desktop: %s",
       "Destination folder: 'C:\\Program Files\\Quintaxel'\nCreate shortcuts: yes\n"
       "Place shortcut on desktop: no"},
      {"%s%s%s", "C:\\Program Files\\Quintaxelyesno"},
      {"no slots", "no slots"},
      {"", ""},
      // What printf would act on is plain text here.
      {"%n%d%x %s %%s %", "%n%d%x C:\\Program Files\\Quintaxel %yes %"},
      {"%s %s %s %s", "C:\\Program Files\\Quintaxel yes no "},
      {"100%", "100%"},
  };
  for (const auto& row : rows) {
    char out[512];
    const size_t length = FillTextSlots(out, sizeof out, row.format, three, 3);
    EXPECT_STREQ(out, row.expected) << row.format;
    EXPECT_EQ(length, std::strlen(row.expected)) << row.format;
  }
}

TEST(FillTextSlots, CutsLongResultsAndSaysSo) {
  const char* const one[] = {"abcdef"};
  char out[8];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(FillTextSlots(out, 5, "File: %s", one, 1), 12u);
  EXPECT_STREQ(out, "File");
  EXPECT_EQ(out[5], 'x') << "nothing written past the size";
  EXPECT_EQ(FillTextSlots(out, 1, "File: %s", one, 1), 12u);
  EXPECT_STREQ(out, "");
  out[0] = 'x';
  EXPECT_EQ(FillTextSlots(out, 0, "File: %s", one, 1), 12u);
  EXPECT_EQ(out[0], 'x');
  const std::string big(600, 'z');
  const char* const large[] = {big.c_str()};
  char summary[512];
  EXPECT_EQ(FillTextSlots(summary, sizeof summary, "'%s'", large, 1), 602u);
  EXPECT_EQ(std::strlen(summary), 511u);
  const char* const folder[] = {"D:\\\x95\x5C"};  // D:\表 in code page 932
  const CodePageScope codePage(932);
  EXPECT_EQ(FillTextSlots(out, 6, "%s", folder, 1), 5u);
  EXPECT_STREQ(out, "D:\\\x95\x5C");
  EXPECT_EQ(FillTextSlots(out, 5, "%s", folder, 1), 5u);
  EXPECT_STREQ(out, "D:\\") << "not half of 表";
}

TEST(SkipProgramName, LeavesTheRestOfTheCommandLine) {
  const struct {
    const char* line;
    const char* rest;
  } rows[] = {
      {"setup.exe", ""},
      {"setup.exe   /S x", "/S x"},
      {"\"C:\\My Downloads\\setup.exe\"  -a", "-a"},
      {"\"C:\\My Downloads\\setup.exe\"", ""},
      {"\"unclosed quote -a", "\"unclosed quote -a"},
      {"setup.exe\t-a", ""},  // a tab does not separate
      {"", ""},
      {"  leading", "leading"},
  };
  for (const auto& row : rows)
    EXPECT_STREQ(SkipProgramName(row.line), row.rest) << row.line;
}

// A path of 259 bytes still fits its buffer; one byte more is refused, never used cut short.
TEST(ComposePath, RefusesWhatWouldNotFitAPathBuffer) {
  char out[kPathBufferSize];
  const std::string folder(250, 'f');
  EXPECT_TRUE(ComposePath(out, "%s\\%s", folder.c_str(), "12345678"));
  EXPECT_EQ(std::string(out), folder + "\\12345678");
  EXPECT_FALSE(ComposePath(out, "%s\\%s", folder.c_str(), "123456789"));
}

}  // namespace
