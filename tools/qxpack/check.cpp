#include "check.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "file_util.h"
#include "install/web_address.h"
#include "lang/catalogue.h"
#include "lang/language.h"

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

// Section names are in their language's code page; a report shows bytes beyond ASCII as \xNN.
std::string Printable(const char* text) {
  std::string shown;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p >= 0x20 && *p < 0x7f) {
      shown += char(*p);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", *p);
      shown += hex;
    }
  }
  return shown;
}

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
  for (const ManifestEntry& entry : manifest.entries) {
    const std::string where = manifest.path + ":" + std::to_string(entry.line) + ": " + entry.name;
    const auto seen = firstLine.emplace(entry.name, entry.line);
    if (!seen.second)
      checker->Report(where, "the same entry name as line " + std::to_string(seen.first->second));
    if (entry.name.size() > 254) checker->Report(where, "the name is longer than 254 bytes");
    if (entry.name.find('/') != std::string::npos)
      checker->Report(where, "the name uses '/'; folders are separated by '\\'");
    if (sizeof kDefaultInstallFolder + entry.name.size() > 259)
      checker->Report(where, std::string("the name under ") + kDefaultInstallFolder +
                                 "\\ is longer than 259 bytes");
    if ((!entry.fromBuild || entry.source.find("${BUILD}") == std::string::npos) &&
        access(entry.source.c_str(), R_OK) != 0)
      checker->Report(where, "the source file " + entry.source + " cannot be read");
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
  if (!ReadWholeFile(entry->source, text, &error)) {
    checker->Report(entry->source, error);
    return false;
  }
  return true;
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
