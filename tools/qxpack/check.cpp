#include "check.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "file_util.h"
#include "install/web_address.h"
#include "lang/catalogue.h"
#include "lang/language.h"
#include "package/package.h"

namespace {

constexpr char kSetupLanguageFile[] = "qxsetup.lng";
constexpr char kProductLanguageFile[] = "quintaxel.lng";

struct Checker {
  FILE* out;
  int findings = 0;

  void Report(const std::string& where, const std::string& what) {
    std::fprintf(out, "%s: %s\n", where.c_str(), what.c_str());
    ++findings;
  }
};

int CountOccurrences(const char* text, const char* part) {
  int count = 0;
  for (const char* p = std::strstr(text, part); p; p = std::strstr(p + 1, part))
    ++count;
  return count;
}

bool IsRelativePath(const char* target) {
  return !IsWebAddress(target) && target[0] != '\\' && !(target[0] && target[1] == ':');
}

void CheckManifestNames(Checker* checker, const Manifest& manifest) {
  std::map<std::string, int> firstLine;
  uint64_t total = 0;
  for (const ManifestEntry& entry : manifest.entries) {
    const std::string where =
        manifest.path + ":" + std::to_string(entry.line) + ": " + Printable(entry.name);
    const auto seen = firstLine.emplace(entry.name, entry.line);
    if (!seen.second)
      checker->Report(where, "the same entry name as line " + std::to_string(seen.first->second));
    const std::string fault = EntryNameFault(entry.name);
    if (!fault.empty()) checker->Report(where, fault);
    if (entry.fromBuild && entry.source.find("${BUILD}") != std::string::npos) continue;
    uint64_t size = 0;
    std::string reason;
    if (MeasureFile(entry.source, &size, &reason) && access(entry.source.c_str(), R_OK) != 0)
      reason = std::strerror(errno);
    if (!reason.empty()) {
      checker->Report(where, "the source file " + entry.source + " cannot be read: " + reason);
      continue;
    }
    const uint64_t before = total;
    total += entry.name.size() + 1 + sizeof(PackageEntryHeader) + size;
    if (before <= kMaxPackageSize && total > kMaxPackageSize)
      checker->Report(where, "the package reaches " + std::to_string(total) +
                                 " bytes here, more than the 1 GiB a 32-bit setup program can map");
  }
}

// Reads the language file that `manifest` packs under `name`; false after a finding.
bool ReadLanguageFile(Checker* checker, const Manifest& manifest, const char* name,
                      std::vector<uint8_t>* text, std::string* path) {
  const ManifestEntry* entry = FindManifestEntry(manifest, name);
  std::string error;
  if (!entry) {
    checker->Report(manifest.path, std::string("no entry ") + name);
    return false;
  }
  *path = entry->source;
  if (!ReadWholeFile(entry->source, text, &error, kMaxPackageSize)) {
    checker->Report(entry->source, error);
    return false;
  }
  return true;
}

// One line of the language file as an editor counts them, 1 for the first.
struct TextLine {
  int number;
  std::string where;  // file:number
  std::string bytes;  // as the loader reads it: its first 259 bytes
};

// What the lines before tell about the next one.
struct LayoutState {
  std::map<std::string, int> sections;  // each name and the line that heads it first
  bool inSection = false;               // a header came before
  bool textBefore = false;              // text before the first header was reported
};

// Tells the loader's view of one line from a reader's: text it never sees, a header it cannot
// find, a header that does not end the section before it.
void CheckLanguageLine(Checker* checker, const TextLine& line, LayoutState* state) {
  char normalized[kLineBufferSize], unescaped[kLineBufferSize];
  std::strcpy(normalized, line.bytes.c_str());
  std::strcpy(unescaped, line.bytes.c_str());
  NormalizeBlanks(normalized);
  UnescapeLine(unescaped);
  const size_t length = std::strlen(normalized), rawLength = std::strlen(unescaped);
  const bool header = length > 2 && normalized[0] == '[' && normalized[length - 1] == ']';
  // A key line ends its section when, unescaped but not blank-normalised, it is in brackets.
  const bool endsSection = rawLength > 0 && unescaped[0] == '[' && unescaped[rawLength - 1] == ']';
  if (!header) {
    if (!state->inSection && !state->textBefore && normalized[0] != '\0' && normalized[0] != '#') {
      checker->Report(line.where, "text before the first section; the loader passes over it");
      state->textBefore = true;
    } else if (state->inSection && endsSection) {
      checker->Report(line.where, "ends the section before it but heads no section of its own");
    }
    return;
  }
  const std::string name(normalized + 1, length - 2);
  if (state->inSection && !endsSection)
    checker->Report(line.where,
                    "a blank before or after the header: the section before runs on "
                    "into this one's keys");
  state->inSection = true;
  if (name.size() > kMaxSectionNameLength) {
    checker->Report(line.where, "a section name of " + std::to_string(name.size()) +
                                    " bytes; the loader finds none longer than 77");
    return;
  }
  const auto first = state->sections.emplace(name, line.number);
  if (!first.second)
    checker->Report(line.where, "the same section name as line " +
                                    std::to_string(first.first->second) +
                                    "; the loader only ever finds the first");
}

// Reads the setup language file as the loader does and reports every line that the loader
// takes otherwise than a reader would: a byte-order mark, a NUL byte, a line over 259 bytes,
// text before the first section and a section the loader would not find.
void CheckLanguageLayout(Checker* checker, const std::string& path,
                         const std::vector<uint8_t>& text) {
  const char* bytes = reinterpret_cast<const char*>(text.data());
  const size_t size = text.size();
  if (size >= 3 && std::memcmp(bytes, "\xef\xbb\xbf", 3) == 0)
    checker->Report(path + ":1",
                    "begins with a UTF-8 byte-order mark; the loader reads it as "
                    "text and misses the section header after it");
  LayoutState state;
  int number = 0;
  for (size_t at = 0; at < size;) {
    size_t end = at;
    while (end < size && bytes[end] != '\r' && bytes[end] != '\n' && bytes[end] != '\0')
      ++end;
    ++number;
    const TextLine line{number, path + ":" + std::to_string(number),
                        std::string(bytes + at, std::min(end - at, size_t(kLineBufferSize - 1)))};
    if (end - at >= size_t(kLineBufferSize))
      checker->Report(line.where, std::to_string(end - at) +
                                      " bytes; the loader reads the first 259 bytes of a line");
    CheckLanguageLine(checker, line, &state);
    if (end < size && bytes[end] == '\0') {
      checker->Report(line.where, "a NUL byte; the loader reads nothing after it");
      return;
    }
    // An editor's line end: CR LF, or a CR or an LF alone.
    at = end + (end + 1 < size && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
  }
}

std::vector<std::string> SectionNames(const std::vector<uint8_t>& text) {
  std::vector<std::string> names;
  const int count =
      CollectLanguageNames(reinterpret_cast<const char*>(text.data()), int(text.size()));
  for (int i = 0; i < count; ++i)
    names.push_back(LanguageName(i));
  return names;
}

struct SectionContext {
  Checker* checker;
  std::string where;  // file [section]
  const Manifest* setup;
  const Manifest* payload;
  const std::vector<std::string>* productSections;  // null without a payload
};

void CheckCatalogue(const SectionContext& s) {
  for (int i = 0; i < setupKeyCount; ++i)
    if (!FindTextValue(setupKeyCatalogue[i]))
      s.checker->Report(s.where + " " + setupKeyCatalogue[i], "the key is missing");
  const struct {
    const char* key;
    int wanted;
  } formats[] = {{"5_02", 3}, {"6_05", 1}};
  for (const auto& format : formats) {
    const char* value = FindTextValue(format.key);
    const int found = value ? CountOccurrences(value, "%s") : format.wanted;
    if (found != format.wanted)
      s.checker->Report(s.where + " " + format.key, "holds " + std::to_string(found) +
                                                        " %s where it must hold " +
                                                        std::to_string(format.wanted));
  }
}

void CheckNamedEntries(const SectionContext& s) {
  const char* license = FindTextValue("license");
  if (license && !FindManifestEntry(*s.setup, license))
    s.checker->Report(s.where + " license",
                      "names " + Printable(license) + ", which is no entry of the setup package");
  const char* language = FindTextValue("language_string");
  if (language && s.productSections) {
    bool found = false;
    for (const std::string& name : *s.productSections)
      found = found || name == language;
    if (!found)
      s.checker->Report(
          s.where + " language_string",
          "names " + Printable(language) + ", which is no section of " + kProductLanguageFile);
  }
}

void CheckShortcutTable(const SectionContext& s) {
  const char* countText = FindTextValue("sc_count");
  if (!countText) return;  // reported with the catalogue
  char* end = nullptr;
  const long count = std::strtol(countText, &end, 10);
  if (*countText == '\0' || *end != '\0' || count < 0 || count > 999) {
    s.checker->Report(s.where + " sc_count", "is not a shortcut count: " + Printable(countText));
    return;
  }
  for (long i = 1; i <= count; ++i) {
    const std::string name = "sc" + std::to_string(i), target = name + "src";
    if (!FindTextValue(name.c_str())) s.checker->Report(s.where + " " + name, "the key is missing");
    const char* value = FindTextValue(target.c_str());
    if (!value) {
      s.checker->Report(s.where + " " + target, "the key is missing");
    } else if (s.payload && IsRelativePath(value) && !FindManifestEntry(*s.payload, value)) {
      s.checker->Report(s.where + " " + target,
                        "names " + Printable(value) + ", which is no entry of the payload");
    }
  }
}

void CheckSetupLanguage(Checker* checker, const Manifest& setup, const Manifest* payload) {
  std::vector<std::string> productSections;
  std::vector<uint8_t> text;
  std::string path;
  if (payload && ReadLanguageFile(checker, *payload, kProductLanguageFile, &text, &path))
    productSections = SectionNames(text);
  if (!ReadLanguageFile(checker, setup, kSetupLanguageFile, &text, &path)) return;
  CheckLanguageLayout(checker, path, text);
  const std::vector<std::string> sections = SectionNames(text);
  if (sections.empty()) checker->Report(path, "no language section");
  for (const std::string& name : sections) {
    LoadLanguageSection(reinterpret_cast<const char*>(text.data()), int(text.size()), name.c_str());
    const SectionContext s{checker, path + ": [" + Printable(name.c_str()) + "]", &setup, payload,
                           payload ? &productSections : nullptr};
    CheckCatalogue(s);
    CheckNamedEntries(s);
    CheckShortcutTable(s);
  }
}

}  // namespace

int CheckData(const Manifest& setup, const Manifest* payload, FILE* out) {
  Checker checker{out};
  CheckManifestNames(&checker, setup);
  if (payload) CheckManifestNames(&checker, *payload);
  CheckSetupLanguage(&checker, setup, payload);
  return checker.findings;
}

int CheckCommand(const std::string& setupManifest, const std::string& payloadManifest,
                 const std::string& buildFolder) {
  Manifest setup, payload;
  std::string error;
  if (!ReadManifest(setupManifest, buildFolder, &setup, &error) ||
      (!payloadManifest.empty() && !ReadManifest(payloadManifest, buildFolder, &payload, &error))) {
    std::fprintf(stderr, "qxpack: %s\n", error.c_str());
    return 2;
  }
  return CheckData(setup, payloadManifest.empty() ? nullptr : &payload, stdout) ? 1 : 0;
}
