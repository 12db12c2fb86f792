// The uninstaller's plan over arbitrary logs and places, held against an oracle that reads paths
// on its own: every step the plan makes must lie in one of the product's places and bear one of
// the product's names (the build's own list), as Windows would open its path, no shortcut place
// may be on a network share, and every registry step must lie under the two keys the setup
// program writes. Each step comes once, and after everything that lies within it.
//
// Input: a byte that picks the code page (single-byte, 932, 936, 949 or 950), the install folder,
// the desktop folder and a shortcut folder, each ended by a NUL byte, then the log. The shortcut
// folder is logged at the start, where the setup program logs one (after a registry line); the
// log may name more. The oracle reads every text as characters of that code page: a lead byte
// and the byte after it are one unit of its own.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/code_pages.h"
#include "install/install_text.h"
#include "uninstall/uninstall_plan.h"

namespace {

// A text as characters: a single byte as itself, a lead byte and the byte after it as one unit
// above 0xFF. A lead byte at the end stays alone.
using Text = std::u16string;

Text Units(const std::string& bytes) {
  Text text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (IsLeadByte(bytes[i]) && i + 1 < bytes.size())
      text += char16_t(byte << 8 | static_cast<unsigned char>(bytes[++i]));
    else
      text += char16_t(byte);
  }
  return text;
}

char16_t LowerUnit(char16_t c) {
  return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

// The first `length` units of `a` and `b` are the same, ASCII letters folded.
bool SameUnits(const char16_t* a, const char16_t* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (LowerUnit(a[i]) != LowerUnit(b[i])) return false;
  return true;
}

bool Same(const Text& a, const Text& b) {
  return a.size() == b.size() && SameUnits(a.data(), b.data(), a.size());
}

Text Lower(Text text) {
  for (char16_t& c : text)
    c = LowerUnit(c);
  return text;
}

bool IsLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// A unit that no plain name holds: a control byte, one of / : * ? " < > |, a lead byte alone.
bool IsRefused(char16_t c) {
  return c < 32 || (c < 0x80 && std::strchr("/:*?\"<>|", char(c))) ||
         (c <= 0xFF && IsLeadByte(char(c)));
}

// The oracle's reading of an absolute path as Windows opens it: separators either way and
// repeated, "." and "..", trailing dots and spaces. "" when it is not absolute or not plain;
// with `rootToo`, a drive's root as "C:".
Text OraclePath(const Text& spelled, bool rootToo = false) {
  Text text = spelled;
  for (char16_t& c : text)
    if (c == u'/') c = u'\\';
  Text root;
  size_t rest;
  if (text.size() >= 3 && IsLetter(text[0]) && text[1] == u':' && text[2] == u'\\') {
    root = text.substr(0, 2);
    rest = 3;
  } else if (text.compare(0, 2, u"\\\\") == 0) {
    const size_t server = text.find(u'\\', 2);
    if (server == Text::npos) return u"";
    const size_t share = text.find(u'\\', server + 1);
    root = text.substr(0, share);
    rest = share == Text::npos ? text.size() : share + 1;
    for (const Text& name : {text.substr(2, server - 2), root.substr(server + 1)})
      if (name.empty() || name.find_first_of(u"?*:<>|\"") != Text::npos || name.back() == u'.' ||
          name.back() == u' ')
        return u"";
  } else {
    return u"";
  }
  std::vector<Text> parts(1);
  for (size_t i = rest; i < text.size(); ++i) {
    if (text[i] == u'\\')
      parts.emplace_back();
    else
      parts.back() += text[i];
  }
  std::vector<Text> names;
  for (size_t i = 0; i < parts.size(); ++i) {
    Text name = parts[i];
    if (name == u"." || name.empty()) continue;
    if (name == u"..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    if (i + 1 == parts.size()) {
      name.erase(name.find_last_not_of(u". ") + 1);
    } else if (name.back() == u'.') {
      name.pop_back();
    }
    if (!name.empty()) names.push_back(name);
  }
  if (names.empty()) return rootToo && root.size() == 2 ? root : u"";
  Text path = root;
  for (const Text& name : names) {
    for (const char16_t c : name)
      if (IsRefused(c)) return u"";
    if (name.back() == u'.' || name.back() == u' ') return u"";
    path += u"\\" + name;
  }
  size_t bytes = 0;
  for (const char16_t c : path)
    bytes += c > 0xFF ? 2 : 1;
  return bytes < kPathBufferSize ? path : u"";
}

bool Contains(const std::vector<Text>& names, const Text& name) {
  for (const Text& candidate : names)
    if (Same(candidate, name)) return true;
  return false;
}

std::vector<Text> List(const char* const* names, int count) {
  std::vector<Text> list;
  for (int i = 0; i < count; ++i)
    list.push_back(Units(names[i]));
  return list;
}

std::vector<Text> List(const ShortcutName* names, int count) {
  std::vector<Text> files;
  for (int i = 0; i < count; ++i)
    files.push_back(Units(names[i].file));
  return files;
}

struct Oracle {
  Text installFolder, desktop;
  std::vector<Text> loggedFolders;  // every folder line of the log: a superset
  std::vector<Text> files, shortcuts, desktopShortcuts, entryFolders;
};

// `path` is `folder`, a backslash and `name`.
bool IsIn(const Text& path, const Text& folder, const Text& name) {
  const size_t at = folder.size();
  return !folder.empty() && path.size() == at + 1 + name.size() && path[at] == u'\\' &&
         SameUnits(path.data(), folder.data(), at) &&
         SameUnits(path.data() + at + 1, name.data(), name.size());
}

bool IsDirectlyIn(const Text& path, const Text& folder, const std::vector<Text>& names) {
  for (const Text& name : names)
    if (IsIn(path, folder, name)) return true;
  return false;
}

bool IsAllowedFile(const Oracle& oracle, const Text& path) {
  if (IsDirectlyIn(path, oracle.installFolder, oracle.files)) return true;
  if (IsDirectlyIn(path, oracle.desktop, oracle.desktopShortcuts)) return true;
  for (const Text& folder : oracle.loggedFolders)
    if (IsDirectlyIn(path, folder, oracle.shortcuts)) return true;
  return false;
}

bool IsAllowedFolder(const Oracle& oracle, const Text& path) {
  return IsDirectlyIn(path, oracle.installFolder, oracle.entryFolders) ||
         Contains(oracle.loggedFolders, path);
}

// The place a step names lies at its start, ends at a character, is one of the allowed places,
// and is of the kind the step says; a shortcut folder is never on a network share.
bool IsAllowedPlace(const Oracle& oracle, const UninstallStep& step) {
  const std::string path = step.path;
  if (step.placeLength <= 0 || size_t(step.placeLength) > path.size()) return false;
  const Text place = Units(path.substr(0, size_t(step.placeLength)));
  const Text whole = Units(path);
  if (whole.compare(0, place.size(), place) != 0) return false;  // cut inside a character
  if (place.size() < whole.size() && whole[place.size()] != u'\\') return false;
  switch (step.place) {
    case kInInstallFolder:
      return Same(place, oracle.installFolder);
    case kOnDesktop:
      return Same(place, oracle.desktop);
    case kInShortcutFolder:
      return Contains(oracle.loggedFolders, place) && place.compare(0, 2, u"\\\\") != 0;
  }
  return false;
}

bool IsRegistry(const UninstallStep& step) {
  return step.kind == kDeleteRegistryName || step.kind == kRemoveRegistryKey;
}

// No step twice, and none before a step that lies within it.
void CheckOrder(const UninstallPlan& plan) {
  for (int i = 0; i < plan.count; ++i)
    for (int j = i + 1; j < plan.count; ++j) {
      const UninstallStep &a = plan.steps[i], &b = plan.steps[j];
      if (IsRegistry(a) != IsRegistry(b) || (IsRegistry(a) && a.root != b.root)) continue;
      const Text outer = Lower(Units(a.path)), inner = Lower(Units(b.path));
      if (a.kind == b.kind && outer == inner) std::abort();
      if (inner.compare(0, outer.size() + 1, outer + u"\\") == 0) std::abort();
    }
}

bool IsProductKey(const UninstallStep& step) {
  const Text path = Lower(Units(step.path));
  const Text settings = Lower(Units(kSettingsKeyPath)), uninstall = Lower(Units(kUninstallKeyPath));
  const auto atOrBelow = [&](const Text& key) {
    return path == key || path.compare(0, key.size() + 1, key + u"\\") == 0;
  };
  if (step.root == kLocalMachine) return atOrBelow(uninstall);
  return atOrBelow(settings) || path == u"software\\vorlen software";
}

void Check(bool holds) {
  if (!holds) std::abort();
}

void CheckStep(const Oracle& oracle, const UninstallStep& step) {
  Check(std::strlen(step.path) < kPathBufferSize);
  switch (step.kind) {
    case kDeleteRegistryName:
    case kRemoveRegistryKey:
      Check(IsProductKey(step));
      return;
    case kDeleteFile:
    case kRemoveFolder: {
      const Text path = Units(step.path);
      Check(OraclePath(path) == path);  // acted on as Windows opens it
      Check(step.kind == kDeleteFile ? IsAllowedFile(oracle, path) : IsAllowedFolder(oracle, path));
      Check(IsAllowedPlace(oracle, step));
      return;
    }
  }
  Check(false);
}

std::string TakeField(const uint8_t** data, size_t* size) {
  const void* end = std::memchr(*data, 0, *size);
  const size_t length = end ? size_t(static_cast<const uint8_t*>(end) - *data) : *size;
  std::string field(reinterpret_cast<const char*>(*data), length);
  const size_t taken = end ? length + 1 : length;
  *data += taken;
  *size -= taken;
  return field;
}

Oracle MakeOracle(const std::string& install, const std::string& desktop, const std::string& log) {
  Oracle oracle;
  oracle.installFolder = OraclePath(Units(install), true);
  oracle.desktop = OraclePath(Units(desktop));
  const ProductNames& names = kProductNames;
  oracle.files = List(names.files, names.fileCount);
  oracle.shortcuts = List(names.shortcuts, names.shortcutCount);
  oracle.desktopShortcuts = List(names.desktopShortcuts, names.desktopShortcutCount);
  for (const Text& file : oracle.files)
    for (size_t at = file.find(u'\\'); at != Text::npos; at = file.find(u'\\', at + 1))
      oracle.entryFolders.push_back(file.substr(0, at));
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find_first_of("\r\n", start);
    if (end == std::string::npos) end = log.size();
    const Text line = Units(log.substr(start, end - start));
    if (!line.empty() && line.back() == u'\\') {
      const Text folder = OraclePath(line.substr(0, line.size() - 1));
      if (!folder.empty()) oracle.loggedFolders.push_back(folder);
    }
    start = end + 1;
  }
  return oracle;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int codePages[] = {1252, 932, 936, 949, 950};
  UseCodePage(codePages[data[0] % 5]);
  ++data;
  --size;
  const std::string install = TakeField(&data, &size);
  const std::string desktop = TakeField(&data, &size);
  const std::string shortcutFolder = TakeField(&data, &size);
  std::string log = std::string("[HKEY_CURRENT_USER\\") + kSettingsKeyPath + "\\width]\r\n" +
                    shortcutFolder + "\\\r\n" +
                    std::string(reinterpret_cast<const char*>(data), size);

  const std::string program = install + "\\uninstall.exe", logPath = install + "\\install.log";
  const char* const kept[] = {desktop.c_str()};
  const UninstallPlaces places = {
      install.c_str(), program.c_str(), logPath.c_str(), desktop.c_str(), kept, 1, &kProductNames};
  UninstallPlan plan;
  if (!BuildUninstallPlan(log.data(), int(log.size()), places, &plan)) return 0;
  const Oracle oracle = MakeOracle(install, desktop, log);
  for (int i = 0; i < plan.count; ++i)
    CheckStep(oracle, plan.steps[i]);
  CheckOrder(plan);
  FreeUninstallPlan(&plan);
  return 0;
}
