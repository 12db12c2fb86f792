#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "check.h"
#include "file_util.h"
#include "list.h"
#include "manifest.h"
#include "pack.h"
#include "package/package.h"

namespace {

const std::string kSetupManifest = QX_SOURCE_DIR "/data/setup/setup.manifest";

// A fresh folder under the system's temporary folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/qxpack-test-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = path_ + "/" + name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ + "/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct CommandResult {
  int status;
  std::string out;
};

// Runs the real qxpack with `args`, capturing standard output (or standard error) and the exit
// status.
CommandResult RunQxpack(const std::string& args, const std::string& env = "", bool errors = false) {
  const std::string command =
      env + " " QXPACK_EXECUTABLE " " + args + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
  FILE* pipe = popen(command.c_str(), "r");
  CommandResult result{-1, ""};
  char block[4096];
  for (size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;)
    result.out.append(block, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

void SetTimes(const std::string& path, time_t seconds) {
  const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

TEST(Pack, EntriesRoundTripThroughTheInstallersWalk) {
  TempFolder dir;
  dir.Write("a.txt", "alpha");
  dir.Write("empty.bin", "");
  const std::string readOnly = dir.Write("ro.txt", "locked");
  chmod(readOnly.c_str(), 0444);
  SetTimes(dir.path() + "/a.txt", 1700000000);
  const std::string manifest = dir.Write("m.manifest",
                                         "# comment line\r\n"
                                         "a.txt      help\\english\\a.txt\r\n"
                                         "\r\n"
                                         "  empty.bin\tempty.bin\r\n"
                                         "ro.txt ro.txt\n");
  ASSERT_EQ(PackCommand(manifest, dir.path() + "/out.pkg", ""), 0);
  const std::string bytes = dir.Read("out.pkg");
  SetPackageBytes(kPayloadPackage, reinterpret_cast<const uint8_t*>(bytes.data()),
                  uint32_t(bytes.size()));
  ASSERT_EQ(PackageEntryCount(kPayloadPackage), 3);
  char name[260];
  EXPECT_STREQ(PackageEntryName(kPayloadPackage, 0, name), "help\\english\\a.txt");
  EXPECT_STREQ(PackageEntryName(kPayloadPackage, 1, name), "empty.bin");
  const PackageEntryHeader* h = nullptr;
  const uint8_t* data = FindPackageEntry(kPayloadPackage, "help\\english\\a.txt", &h);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), EntryDataSize(h)), "alpha");
  EXPECT_EQ(EntryAttributes(h), 0x20u);
  EXPECT_EQ(ReadLE64(h->lastWriteTime), UnixToFileTime(1700000000, 0));
  EXPECT_EQ(ReadLE64(h->lastAccessTime), UnixToFileTime(1700000000, 0));
  FindPackageEntry(kPayloadPackage, "ro.txt", &h);
  EXPECT_EQ(EntryAttributes(h), 0x21u) << "a file without write permission is read-only";
  SetPackageBytes(kPayloadPackage, nullptr, 0);
}

TEST(Pack, SourceDateEpochCapsTimesSoBuildsAreByteIdentical) {
  TempFolder dir;
  dir.Write("a.txt", "alpha");  // written now, after the epoch below
  const std::string manifest = dir.Write("m.manifest", "a.txt a.txt\n");
  const std::string env = "SOURCE_DATE_EPOCH=1760000000";
  ASSERT_EQ(RunQxpack("pack " + manifest + " " + dir.path() + "/one.pkg", env).status, 0);
  SetTimes(dir.path() + "/a.txt", 1770000000);  // touched between the builds, still later
  ASSERT_EQ(RunQxpack("pack " + manifest + " " + dir.path() + "/two.pkg", env).status, 0);
  const std::string one = dir.Read("one.pkg");
  EXPECT_EQ(one, dir.Read("two.pkg"));
  const PackageEntryHeader* h = reinterpret_cast<const PackageEntryHeader*>(one.data() + 6);
  for (const uint8_t* t : {h->creationTime, h->lastAccessTime, h->lastWriteTime})
    EXPECT_EQ(ReadLE64(t), UnixToFileTime(1760000000, 0));

  SetTimes(dir.path() + "/a.txt", 1500000000);  // a file older than the epoch keeps its times
  ASSERT_EQ(RunQxpack("pack " + manifest + " " + dir.path() + "/old.pkg", env).status, 0);
  const std::string old = dir.Read("old.pkg");
  h = reinterpret_cast<const PackageEntryHeader*>(old.data() + 6);
  EXPECT_EQ(ReadLE64(h->lastWriteTime), UnixToFileTime(1500000000, 0));
  EXPECT_EQ(ReadLE64(h->lastAccessTime), UnixToFileTime(1500000000, 0));

  EXPECT_NE(RunQxpack("pack " + manifest + " " + dir.path() + "/bad.pkg", "SOURCE_DATE_EPOCH=soon")
                .status,
            0);
}

TEST(Pack, BuildOutputsComeFromTheBuildFolder) {
  TempFolder dir;
  mkdir((dir.path() + "/out").c_str(), 0755);
  dir.Write("out/prog.exe", "MZ");
  const std::string manifest = dir.Write("m.manifest", "${BUILD}/prog.exe prog.exe\n");
  EXPECT_EQ(
      RunQxpack("pack --build " + dir.path() + "/out " + manifest + " " + dir.path() + "/p.pkg")
          .status,
      0);
  EXPECT_NE(dir.Read("p.pkg").find("MZ"), std::string::npos);
}

// Each refusal names the manifest and its line (":0" where there is none) and reads no source.
TEST(Pack, BadInputFailsWithoutLeavingAnOutputFile) {
  TempFolder dir;
  dir.Write("a.txt", "alpha");
  mkdir((dir.path() + "/folder").c_str(), 0755);
  // Sparse, so the test costs no disk; a source is measured before it is read.
  truncate(dir.Write("big.bin", "").c_str(), 1 << 30);
  const struct {
    const char* what;
    std::string manifest;
    int line;
  } cases[] = {
      {"missing source", "a.txt a.txt\nnothere.txt nothere.txt\n", 2},
      {"three fields", "a.txt a.txt extra\n", 1},
      {"one field", "a.txt\n", 1},
      {"name over 254 bytes", "a.txt " + std::string(255, 'n') + "\n", 1},
      {"parent folder", "a.txt a.txt\na.txt ..\\x\n", 2},
      {"drive", "a.txt C:\\x\n", 1},
      {"leading backslash", "a.txt \\x\n", 1},
      {"trailing backslash", "a.txt trail\\\n", 1},
      {"doubled backslash", "a.txt help\\\\x\n", 1},
      {"device", "a.txt NUL\n", 1},
      {"stream", "a.txt a:b\n", 1},
      {"wildcard", "a.txt q?x\n", 1},
      {"'/' for '\\'", "a.txt ../x\n", 1},
      {"too long below the install folder", "a.txt " + std::string(233, 'n') + "\n", 1},
      {"a folder as source", "folder folder\n", 1},
      {"over 1 GiB in all", "a.txt a.txt\nbig.bin big.bin\n", 2},
      {"byte-order mark",
       "\xef\xbb\xbf"
       "a.txt a.txt\n",
       1},
      {"no entry", "# nothing to pack\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string manifest = dir.Write("m.manifest", c.manifest);
    const CommandResult result =
        RunQxpack("pack " + manifest + " " + dir.path() + "/out.pkg", "", true);
    EXPECT_EQ(result.status, 2);
    const std::string where = c.line ? ":" + std::to_string(c.line) + ": " : ": ";
    EXPECT_EQ(result.out.rfind("qxpack: " + manifest + where, 0), 0u) << result.out;
    EXPECT_NE(access((dir.path() + "/out.pkg").c_str(), F_OK), 0);
  }
  EXPECT_EQ(RunQxpack("pack " + dir.path() + "/no.manifest " + dir.path() + "/o.pkg").status, 2);
  EXPECT_EQ(RunQxpack("pack onlyone").status, 2);
  EXPECT_EQ(RunQxpack("frobnicate a b").status, 2);
}

TEST(List, OneLinePerEntryWithUtcTimes) {
  TempFolder dir;
  dir.Write("a.txt", "alpha");
  dir.Write("b.txt", "");
  const std::string manifest = dir.Write("m.manifest", "a.txt help\\a.txt\nb.txt b.txt\n");
  ASSERT_EQ(
      RunQxpack("pack " + manifest + " " + dir.path() + "/p.pkg", "SOURCE_DATE_EPOCH=0").status, 0);
  const CommandResult listed = RunQxpack("list " + dir.path() + "/p.pkg");
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out,
            "  0          5 0x00000020  1970-01-01 00:00:00  1970-01-01 00:00:00  "
            "1970-01-01 00:00:00  help\\a.txt\n"
            "  1          0 0x00000020  1970-01-01 00:00:00  1970-01-01 00:00:00  "
            "1970-01-01 00:00:00  b.txt\n");
  // A package cut inside its last entry lists the entries before it and fails.
  const std::string bytes = dir.Read("p.pkg");
  dir.Write("cut.pkg", bytes.substr(0, bytes.size() - 3));
  const CommandResult cut = RunQxpack("list " + dir.path() + "/cut.pkg");
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.out.find("help\\a.txt"), std::string::npos);
  EXPECT_EQ(RunQxpack("list " + dir.path() + "/none.pkg").status, 2);
  truncate(dir.Write("huge.pkg", "").c_str(), (1ll << 32) + 1);  // refused unread
  EXPECT_EQ(RunQxpack("list " + dir.path() + "/huge.pkg").status, 2);
}

TEST(Extract, WritesOneEntrysDataOrNothing) {
  TempFolder dir;
  dir.Write("a.txt", "alpha");
  dir.Write("b.txt", "");
  const std::string manifest = dir.Write("m.manifest", "a.txt help\\a.txt\nb.txt b.txt\n");
  ASSERT_EQ(RunQxpack("pack " + manifest + " " + dir.path() + "/p.pkg").status, 0);
  const std::string package = dir.path() + "/p.pkg";
  EXPECT_EQ(RunQxpack("extract " + package + " 'help\\a.txt' " + dir.path() + "/a.out").status, 0);
  EXPECT_EQ(dir.Read("a.out"), "alpha");
  dir.Write("b.out", "old");
  EXPECT_EQ(RunQxpack("extract " + package + " b.txt " + dir.path() + "/b.out").status, 0);
  EXPECT_EQ(dir.Read("b.out"), "") << "an empty entry replaces what was there";
  const std::string bytes = dir.Read("p.pkg");
  dir.Write("cut.pkg", bytes.substr(0, bytes.size() - 1));
  const struct {
    const char* what;
    std::string args;
    int status;
  } cases[] = {
      {"a name that is no entry", package + " a.txt", 1},
      {"'/' for '\\'", package + " help/a.txt", 1},
      {"an entry cut short", dir.path() + "/cut.pkg b.txt", 1},
      {"a package that is not there", dir.path() + "/none.pkg b.txt", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RunQxpack("extract " + c.args + " " + dir.path() + "/x.out").status, c.status);
    EXPECT_NE(access((dir.path() + "/x.out").c_str(), F_OK), 0);
  }
  const CommandResult noFolder =
      RunQxpack("extract " + package + " b.txt " + dir.path() + "/no/x.out", "", true);
  EXPECT_EQ(noFolder.status, 2);
  EXPECT_EQ(noFolder.out, "qxpack: " + dir.path() + "/no/x.out: No such file or directory\n");
  EXPECT_EQ(RunQxpack("extract " + package + " b.txt").status, 2);
}

TEST(Usage, HelpOnStandardOutputAWrongCallOnlyOnStandardError) {
  for (const char* help : {"--help", "-h", "pack --help"}) {
    const CommandResult result = RunQxpack(help);
    EXPECT_EQ(result.status, 0) << help;
    EXPECT_EQ(result.out.rfind("usage: qxpack pack", 0), 0u) << help;
  }
  const CommandResult wrong = RunQxpack("");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, "");
}

TEST(List, FileTimesAsCalendarDates) {
  EXPECT_EQ(FormatFileTime(0), "1601-01-01 00:00:00");
  EXPECT_EQ(FormatFileTime(UnixToFileTime(951782400, 0)), "2000-02-29 00:00:00");
  EXPECT_EQ(FormatFileTime(UnixToFileTime(1796706166, 9999999)), "2026-12-08 05:02:46");
  EXPECT_EQ(FormatFileTime(~0ull), "0xffffffffffffffff");
}

TEST(Check, ShippedDataIsClean) {
  for (const std::string& manifests :
       {kSetupManifest, kSetupManifest + " " QX_SOURCE_DIR "/product/payload.manifest"}) {
    const CommandResult result = RunQxpack("check " + manifests);
    EXPECT_EQ(result.out, "") << manifests;
    EXPECT_EQ(result.status, 0) << manifests;
  }
}

// A setup language file of the test's own, with one line changed from the shipped one.
std::string ShippedLanguageWith(const std::string& from, const std::string& to) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(ReadWholeFile(QX_SOURCE_DIR "/data/setup/qxsetup.lng", &bytes, &error, 1 << 20));
  std::string text(bytes.begin(), bytes.end());
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

CommandResult CheckWithLanguage(const TempFolder& dir, const std::string& language,
                                const std::string& extraManifest = "") {
  dir.Write("qxsetup.lng", language);
  const std::string setup =
      dir.Write("setup.manifest", "qxsetup.lng qxsetup.lng\n" QX_SOURCE_DIR
                                  "/data/setup/license.rus.txt license.rus.txt\n" QX_SOURCE_DIR
                                  "/data/setup/license.eng.txt license.eng.txt\n" +
                                      extraManifest);
  return RunQxpack("check " + setup);
}

TEST(Check, EachFindingIsOneLineNamingFileSectionAndKey) {
  TempFolder dir;
  const std::string lng = dir.path() + "/qxsetup.lng";
  const struct {
    const char* what;
    std::string from, to, finding;
  } cases[] = {
      {"a missing key", "\r\n3_02=", "\r\nx3_02=", lng + ": [English] 3_02: the key is missing\n"},
      {"a summary with two %s", "Create shortcuts: %s",
       "Create shortcuts:", lng + ": [English] 5_02: holds 2 %s where it must hold 3\n"},
      {"a licence that is no entry", "license=license.eng.txt", "license=license.txt",
       lng + ": [English] license: names license.txt, which is no entry of the setup package\n"},
      {"a shortcut count that is no number", "sc_count=4", "sc_count=four",
       lng + ": [English] sc_count: is not a shortcut count: four\n"},
      {"a shortcut beyond the table", "sc_count=4", "sc_count=5",
       lng + ": [English] sc5: the key is missing\n" + lng +
           ": [English] sc5src: the key is missing\n"},
      // The file as the loader reads it; the Russian section's header is on line 83.
      {"a byte-order mark", "", "\xef\xbb\xbf",
       lng +
           ":1: begins with a UTF-8 byte-order mark; the loader reads it as text and misses the "
           "section header after it\n" +
           lng + ":1: text before the first section; the loader passes over it\n"},
      {"a line over 259 bytes", "[English]\r\n", "[English]\r\n#" + std::string(401, '-') + "\r\n",
       lng + ":2: 402 bytes; the loader reads the first 259 bytes of a line\n"},
      {"text before the first section", "[English]", "Setup texts\r\n[English]",
       lng + ":1: text before the first section; the loader passes over it\n"},
      {"a section name over 77 bytes", "[English]", "[" + std::string(78, 'E') + "]",
       lng + ":1: a section name of 78 bytes; the loader finds none longer than 77\n"},
      {"a section name twice", "\r\n[", "\r\n[English]\r\n[",
       lng + ":83: the same section name as line 1; the loader only ever finds the first\n"},
      {"a blank before a header", "\r\n[", "\r\n [",
       lng + ":83: a blank before or after the header: the section before runs on into this "
             "one's keys\n"},
      {"brackets around nothing", "\r\n[", "\r\n[]\r\n[",
       lng + ":83: ends the section before it but heads no section of its own\n"},
      {"a NUL byte", "\r\n[", std::string("\r\n\0[", 4),
       lng + ":83: a NUL byte; the loader reads nothing after it\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CommandResult result = CheckWithLanguage(dir, ShippedLanguageWith(c.from, c.to));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, c.finding);
  }
}

TEST(Check, ManifestNames) {
  TempFolder dir;
  dir.Write("x", "x");
  mkdir((dir.path() + "/folder").c_str(), 0755);
  std::vector<std::array<std::string, 3>> cases = {
      {"x", "license.eng.txt", ": the same entry name as line 3"},
      {"x", "help/index.html", ": the name uses '/'"},
      {"x", std::string(240, 'n'), ": the name under C:\\Program Files\\Quintaxel\\ is longer"},
      {"folder", "folder", ": the source file " + dir.path() + "/folder cannot be read"}};
  for (const char* name : {"..\\x", "C:\\x", "\\x", "trail\\", "help\\\\x", "NUL", "a:b", "q?x"})
    cases.push_back({"x", name, ": not a name setup can install"});
  std::string extra;
  for (const auto& c : cases)
    extra += c[0] + " " + c[1] + "\n";
  const CommandResult result = CheckWithLanguage(dir, ShippedLanguageWith("", ""), extra);
  EXPECT_EQ(result.status, 1);
  const std::string manifest = dir.path() + "/setup.manifest";
  int line = 4;
  for (const auto& c : cases)
    EXPECT_NE(result.out.find(manifest + ":" + std::to_string(line++) + ": " + c[1] + c[2]),
              std::string::npos)
        << c[1] << "\n"
        << result.out;
}

}  // namespace
