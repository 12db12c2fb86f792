// The uninstaller's plan over arbitrary logs and places, held against an oracle that reads paths
// on its own: every step the plan makes must lie in one of the product's places and bear one of
// the product's names (the build's own list), as Windows would open its path, no shortcut place
// may be on a network share, and every registry step must lie under the two keys the setup
// program writes. Each step comes once, and after everything that lies within it.
//
// Input: the install folder, the desktop folder and a shortcut folder, each ended by a NUL byte,
// then the log. The shortcut folder is logged at the start, where the setup program logs one
// (after a registry line); the log may name more.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "install/install_text.h"
#include "uninstall/uninstall_plan.h"

namespace {

char LowerByte(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The first `length` bytes of `a` and `b` are the same, ASCII letters folded.
bool SameBytes(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (LowerByte(a[i]) != LowerByte(b[i])) return false;
  return true;
}

bool Same(const std::string& a, const std::string& b) {
  return a.size() == b.size() && SameBytes(a.data(), b.data(), a.size());
}

std::string Lower(std::string text) {
  for (char& c : text)
    c = LowerByte(c);
  return text;
}

// The oracle's reading of an absolute path as Windows opens it: separators either way and
// repeated, "." and "..", trailing dots and spaces. "" when it is not absolute or not plain;
// with `rootToo`, a drive's root as "C:".
std::string OraclePath(const std::string& spelled, bool rootToo = false) {
  std::string text = spelled;
  for (char& c : text)
    if (c == '/') c = '\\';
  std::string root;
  size_t rest;
  if (text.size() >= 3 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' &&
      text[2] == '\\') {
    root = text.substr(0, 2);
    rest = 3;
  } else if (text.compare(0, 2, "\\\\") == 0) {
    const size_t server = text.find('\\', 2);
    if (server == std::string::npos) return "";
    const size_t share = text.find('\\', server + 1);
    root = text.substr(0, share);
    rest = share == std::string::npos ? text.size() : share + 1;
    for (const std::string& name : {text.substr(2, server - 2), root.substr(server + 1)})
      if (name.empty() || name.find_first_of("?*:<>|\"") != std::string::npos ||
          name.back() == '.' || name.back() == ' ')
        return "";
  } else {
    return "";
  }
  std::vector<std::string> parts(1);
  for (size_t i = rest; i < text.size(); ++i) {
    if (text[i] == '\\')
      parts.emplace_back();
    else
      parts.back() += text[i];
  }
  std::vector<std::string> names;
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string name = parts[i];
    if (name == "." || name.empty()) continue;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    if (i + 1 == parts.size()) {
      name.erase(name.find_last_not_of(". ") + 1);
    } else if (name.back() == '.') {
      name.pop_back();
    }
    if (!name.empty()) names.push_back(name);
  }
  if (names.empty()) return rootToo && root.size() == 2 ? root : "";
  std::string path = root;
  for (const std::string& name : names) {
    for (const char c : name)
      if (static_cast<unsigned char>(c) < 32 || std::strchr("/:*?\"<>|", c)) return "";
    if (name.back() == '.' || name.back() == ' ') return "";
    path += "\\" + name;
  }
  return path.size() < kPathBufferSize ? path : "";
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& candidate : names)
    if (Same(candidate, name)) return true;
  return false;
}

std::vector<std::string> List(const char* const* names, int count) {
  return std::vector<std::string>(names, names + count);
}

std::vector<std::string> List(const ShortcutName* names, int count) {
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i)
    files.push_back(names[i].file);
  return files;
}

struct Oracle {
  std::string installFolder, desktop;
  std::vector<std::string> loggedFolders;  // every folder line of the log: a superset
  std::vector<std::string> files, shortcuts, desktopShortcuts, entryFolders;
};

// `path` is `folder`, a backslash and `name`.
bool IsIn(const std::string& path, const std::string& folder, const std::string& name) {
  const size_t at = folder.size();
  return !folder.empty() && path.size() == at + 1 + name.size() && path[at] == '\\' &&
         SameBytes(path.data(), folder.data(), at) &&
         SameBytes(path.data() + at + 1, name.data(), name.size());
}

bool IsDirectlyIn(const std::string& path, const std::string& folder,
                  const std::vector<std::string>& names) {
  for (const std::string& name : names)
    if (IsIn(path, folder, name)) return true;
  return false;
}

bool IsAllowedFile(const Oracle& oracle, const std::string& path) {
  if (IsDirectlyIn(path, oracle.installFolder, oracle.files)) return true;
  if (IsDirectlyIn(path, oracle.desktop, oracle.desktopShortcuts)) return true;
  for (const std::string& folder : oracle.loggedFolders)
    if (IsDirectlyIn(path, folder, oracle.shortcuts)) return true;
  return false;
}

bool IsAllowedFolder(const Oracle& oracle, const std::string& path) {
  return IsDirectlyIn(path, oracle.installFolder, oracle.entryFolders) ||
         Contains(oracle.loggedFolders, path);
}

// The place a step names lies at its start, is one of the allowed places, and is of the kind the
// step says; a shortcut folder is never on a network share.
bool IsAllowedPlace(const Oracle& oracle, const UninstallStep& step) {
  const std::string path = step.path;
  if (step.placeLength <= 0 || size_t(step.placeLength) > path.size()) return false;
  if (size_t(step.placeLength) < path.size() && path[size_t(step.placeLength)] != '\\')
    return false;
  const std::string place = path.substr(0, size_t(step.placeLength));
  switch (step.place) {
    case kInInstallFolder:
      return Same(place, oracle.installFolder);
    case kOnDesktop:
      return Same(place, oracle.desktop);
    case kInShortcutFolder:
      return Contains(oracle.loggedFolders, place) && place.compare(0, 2, "\\\\") != 0;
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
      const std::string outer = Lower(a.path), inner = Lower(b.path);
      if (a.kind == b.kind && outer == inner) std::abort();
      if (inner.compare(0, outer.size() + 1, outer + "\\") == 0) std::abort();
    }
}

bool IsProductKey(const UninstallStep& step) {
  const std::string path = Lower(step.path);
  const std::string settings = Lower(kSettingsKeyPath), uninstall = Lower(kUninstallKeyPath);
  const auto atOrBelow = [&](const std::string& key) {
    return path == key || path.compare(0, key.size() + 1, key + "\\") == 0;
  };
  if (step.root == kLocalMachine) return atOrBelow(uninstall);
  return atOrBelow(settings) || path == "software\\vorlen software";
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
    case kRemoveFolder:
      Check(OraclePath(step.path) == step.path);  // acted on as Windows opens it
      Check(step.kind == kDeleteFile ? IsAllowedFile(oracle, step.path)
                                     : IsAllowedFolder(oracle, step.path));
      Check(IsAllowedPlace(oracle, step));
      return;
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
  oracle.installFolder = OraclePath(install, true);
  oracle.desktop = OraclePath(desktop);
  const ProductNames& names = kProductNames;
  oracle.files = List(names.files, names.fileCount);
  oracle.shortcuts = List(names.shortcuts, names.shortcutCount);
  oracle.desktopShortcuts = List(names.desktopShortcuts, names.desktopShortcutCount);
  for (const std::string& file : oracle.files)
    for (size_t at = file.find('\\'); at != std::string::npos; at = file.find('\\', at + 1))
      oracle.entryFolders.push_back(file.substr(0, at));
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find_first_of("\r\n", start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    if (!line.empty() && line.back() == '\\') {
      const std::string folder = OraclePath(line.substr(0, line.size() - 1));
      if (!folder.empty()) oracle.loggedFolders.push_back(folder);
    }
    start = end + 1;
  }
  return oracle;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string install = TakeField(&data, &size);
  const std::string desktop = TakeField(&data, &size);
  const std::string shortcutFolder = TakeField(&data, &size);
  std::string log = std::string("[HKEY_CURRENT_USER\\") + kSettingsKeyPath + "\\width]\r\n" +
                    shortcutFolder + "\\\r\n" +
                    std::string(reinterpret_cast<const char*>(data), size);
  const size_t nul = log.find('\0');  // the plan reads the log up to a NUL byte
  if (nul != std::string::npos) log.resize(nul);

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
