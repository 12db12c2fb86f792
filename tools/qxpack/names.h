// The product's own file and shortcut names, for the uninstaller: it removes nothing that bears
// another name, so it must know them from the same manifests and language file that the setup
// program is built from.
#pragma once

#include <string>
#include <vector>

#include "manifest.h"

// A shortcut's file name and its "scNsrc", what it points at.
struct ShortcutNameText {
  std::string file, target;
  bool operator==(const ShortcutNameText& other) const {
    return file == other.file && target == other.target;
  }
};

struct ProductNameLists {
  std::vector<std::string> files;           // entry names below the install folder, and the log
  std::vector<ShortcutNameText> shortcuts;  // the shortcuts of every language, no repeats
  std::vector<ShortcutNameText> desktopShortcuts;  // the desktop shortcut of every language
};

// The names an installation of `payload` by a setup program carrying `setup` can make. False
// with `error` when the setup language file cannot be read.
bool CollectProductNames(const Manifest& setup, const Manifest& payload, ProductNameLists* names,
                         std::string* error);

// The C++ source that defines kProductNames (uninstall/uninstall_plan.h) with `names`.
std::string ProductNamesSource(const ProductNameLists& names);

// qxpack names: writes that source to `output`. Returns the exit status.
int NamesCommand(const std::string& setupManifest, const std::string& payloadManifest,
                 const std::string& output);
