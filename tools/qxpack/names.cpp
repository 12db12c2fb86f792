#include "names.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "file_util.h"
#include "install/install_text.h"
#include "install/web_address.h"
#include "lang/language.h"

namespace {

constexpr char kSetupLanguageFile[] = "qxsetup.lng";

template <typename Name>
void AddOnce(std::vector<Name>* names, const Name& name) {
  if (std::find(names->begin(), names->end(), name) == names->end()) names->push_back(name);
}

// The shortcuts of the loaded section, as the installation composes them: the text of "scN" and
// ".url" for a web address, ".lnk" for everything else, each with its "scNsrc".
void AddSectionShortcuts(ProductNameLists* names) {
  const int count = std::atoi(LookupText("sc_count"));
  for (int i = 1; i <= count; ++i) {
    const std::string key = "sc" + std::to_string(i);
    const std::string target = LookupText((key + "src").c_str());
    const bool web = IsWebAddress(target.c_str());
    AddOnce(&names->shortcuts,
            {LookupText(key.c_str()) + std::string(web ? ".url" : ".lnk"), target});
  }
  AddOnce(&names->desktopShortcuts,
          {LookupText("sc1") + std::string(".lnk"), LookupText("sc1src")});
}

// A C string literal of `text`: every byte beyond printable ASCII as an octal escape, which
// never runs on into a following digit; "?" too, which could start a trigraph.
std::string Literal(const std::string& text) {
  std::string literal = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      literal += '\\';
      literal += char(c);
    } else if (c >= 32 && c < 127 && c != '?') {
      literal += char(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03o", c);
      literal += escape;
    }
  }
  return literal + "\"";
}

std::string ArrayText(const char* name, const std::vector<std::string>& items) {
  std::string text = std::string("const char* const ") + name + "[] = {\n";
  for (const std::string& item : items)
    text += "    " + Literal(item) + ",\n";
  return text + "};\n";
}

std::string ArrayText(const char* name, const std::vector<ShortcutNameText>& items) {
  std::string text = std::string("const ShortcutName ") + name + "[] = {\n";
  for (const ShortcutNameText& item : items)
    text += "    {" + Literal(item.file) + ", " + Literal(item.target) + "},\n";
  return text + "};\n";
}

}  // namespace

bool CollectProductNames(const Manifest& setup, const Manifest& payload, ProductNameLists* names,
                         std::string* error) {
  *names = ProductNameLists();
  for (const ManifestEntry& entry : payload.entries)
    AddOnce(&names->files, entry.name);
  AddOnce(&names->files, std::string(kInstallLogName));
  const ManifestEntry* language = FindManifestEntry(setup, kSetupLanguageFile);
  std::vector<uint8_t> bytes;
  if (!language) {
    *error = setup.path + ": no entry " + kSetupLanguageFile;
    return false;
  }
  if (!ReadWholeFile(language->source, &bytes, error, kMaxPackageSize)) {
    *error = language->source + ": " + *error;
    return false;
  }
  const char* text = reinterpret_cast<const char*>(bytes.data());
  const int length = int(bytes.size());
  const int sections = CollectLanguageNames(text, length);
  for (int i = 0; i < sections; ++i) {
    LoadLanguageSection(text, length, LanguageName(i));
    AddSectionShortcuts(names);
  }
  return true;
}

std::string ProductNamesSource(const ProductNameLists& names) {
  return "// Made by qxpack names from the payload manifest and the setup language file.\n"
         "#include \"uninstall/uninstall_plan.h\"\n\nnamespace {\n" +
         ArrayText("kFiles", names.files) + ArrayText("kShortcuts", names.shortcuts) +
         ArrayText("kDesktopShortcuts", names.desktopShortcuts) +
         "}  // namespace\n\n"
         "const ProductNames kProductNames = {\n"
         "    kFiles, sizeof kFiles / sizeof *kFiles,\n"
         "    kShortcuts, sizeof kShortcuts / sizeof *kShortcuts,\n"
         "    kDesktopShortcuts, sizeof kDesktopShortcuts / sizeof *kDesktopShortcuts};\n";
}

int NamesCommand(const std::string& setupManifest, const std::string& payloadManifest,
                 const std::string& output) {
  Manifest setup, payload;
  ProductNameLists names;
  std::string error;
  if (!ReadManifest(setupManifest, "", &setup, &error) ||
      !ReadManifest(payloadManifest, "", &payload, &error) ||
      !CollectProductNames(setup, payload, &names, &error)) {
    std::fprintf(stderr, "qxpack: %s\n", error.c_str());
    return 1;
  }
  const std::string source = ProductNamesSource(names);
  if (!WriteFileAtomically(output, std::vector<uint8_t>(source.begin(), source.end()), &error)) {
    std::fprintf(stderr, "qxpack: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
