// Carrying out the uninstaller's plan (carry_out_win32.h): each step's place held, its item
// judged through its own handle and removed through it, the registry names deleted.
#include "carry_out_win32.h"

#include <cstring>

#include "folders/code_page.h"
#include "folders/place_win32.h"
#include "folders/trust_win32.h"
#include "lang/fill_text.h"
#include "shortcut_target_win32.h"

namespace {

HKEY RootKey(RegistryRoot root) {
  return root == kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Looked at before it is deleted: RegDeleteKeyA deletes only a key without subkeys on Windows
// NT, but a whole tree on Windows 9x, and nothing is ever removed with what lies below it.
bool RemoveEmptyKey(RegistryRoot root, const char* path) {
  HKEY key;
  const LONG opened = RegOpenKeyExA(RootKey(root), path, 0, KEY_QUERY_VALUE, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  DWORD subkeys = 1, values = 1;
  const LONG queried = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                        &values, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (queried != ERROR_SUCCESS || subkeys != 0 || values != 0) return false;
  return RegDeleteKeyA(RootKey(root), path) == ERROR_SUCCESS;
}

// The last component as a value of the key above it; when there is no such value, the whole
// name as a key.
bool DeleteRegistryName(RegistryRoot root, const char* path, int lastAt) {
  char parent[kPathBufferSize];
  BoundedCopy(parent, path, size_t(lastAt));  // up to the separator before the last component
  const char* name = path + lastAt;
  HKEY key;
  const LONG opened =
      RegOpenKeyExA(RootKey(root), parent, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
  if (opened == ERROR_SUCCESS) {
    const bool isValue =
        RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    const bool deleted = isValue && RegDeleteValueA(key, name) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (isValue) return deleted;
  } else if (opened != ERROR_FILE_NOT_FOUND) {
    return false;  // the key is there, but not for this user to change
  }
  return RemoveEmptyKey(root, path);
}

// An Internet shortcut outside the install folder: a .url is the product's by its address
// alone, which another installation's has too.
bool IsInternetShortcutStep(const UninstallStep& step) {
  const size_t length = std::strlen(step.path);
  return step.kind == kDeleteFile && step.place != kInInstallFolder && length > 4 &&
         IsSamePath(step.path + length - 4, ".url");
}

// The shortcut folders that this run removed a shell link of the product's from: a link points
// at this installation's own file.
bool RemovedALinkFrom(const char* folder) {
  for (int i = 0; i < places.emptiedCount; ++i)
    if (IsSamePath(places.emptied[i], folder)) return true;
  return false;
}

// The rules of RemoveItem below get the step as their context.

// A shortcut in a shortcut folder or on the desktop is the product's when it points at this
// installation's file of its name, or at its address.
bool IsProductShortcutItem(HANDLE item, const BY_HANDLE_FILE_INFORMATION& info,
                           const void* context) {
  const UninstallStep& step = *static_cast<const UninstallStep*>(context);
  const char* name = step.path + step.placeLength + 1;
  char target[2 * kPathBufferSize];
  const bool read = ReadShortcutTarget(item, info, name, target, sizeof target);
  const ProductNames& names = kProductNames;
  const bool desktop = step.place == kOnDesktop;
  // A .url goes only with a link of this installation from the same folder.
  char folder[kPathBufferSize];
  PathPrefix(step.path, LastComponentIndex(step.path) - 1, folder);
  if (IsInternetShortcutStep(step) && !RemovedALinkFrom(folder)) return false;
  return read && IsProductShortcut(desktop ? names.desktopShortcuts : names.shortcuts,
                                   desktop ? names.desktopShortcutCount : names.shortcutCount, name,
                                   target, places.normalFolder);
}

// A shortcut folder goes only when this run removed one of the product's shortcuts from it, it
// is now empty (the removal fails otherwise), no other installation is registered, and it is none
// of the user's special folders, however the log spelled it.
bool IsEmptiedShortcutFolder(HANDLE, const BY_HANDLE_FILE_INFORMATION& info, const void* context) {
  const UninstallStep& step = *static_cast<const UninstallStep*>(context);
  if (places.otherRegistered) return false;
  const FileIdentity identity = IdentityOf(info);
  for (const FileIdentity& kept : places.keptIdentity)
    if (IsKnownIdentity(kept) && IsSameIdentity(identity, kept)) return false;
  return RemovedALinkFrom(step.path);
}

void NoteEmptiedFolder(const UninstallStep& step) {
  if (places.emptiedCount < kMostEmptiedFolders)
    PathPrefix(step.path, LastComponentIndex(step.path) - 1, places.emptied[places.emptiedCount++]);
}

// Holds the folders down to the step's item's folder. Below the install folder, whose chain the
// run holds already, each must be a plain folder: those are the installation's own. A shortcut
// folder or the desktop is held with its trusted chain from the drive's root, so a link there (a
// desktop moved to another drive) is followed only into a folder that only trusted accounts
// may change; a shortcut folder step holds the folder above it.
bool HoldStepPlace(const UninstallStep& step, HeldFolders* held) {
  char place[kPathBufferSize], folder[kPathBufferSize];
  if (step.place != kInInstallFolder) {
    int firstMissing = 0;
    PathPrefix(step.path, LastComponentIndex(step.path) - 1, folder);
    return HoldTrustedChain(folder, kFolderOnTheWay, held, &firstMissing) &&
           firstMissing > LastComponentIndex(folder);
  }
  BoundedCopy(place, step.path, size_t(step.placeLength) + 1);
  BoundedCopy(folder, step.path, size_t(FindLastCharacter(step.path, '\\') - step.path) + 1);
  return HoldPlainChainBelow(place, folder, held);
}

// A file or folder step, carried out only through held folders: through a link that is not
// followed, or a folder that cannot be held, it is left. A folder on the way that is gone took the
// item with it.
Removal CarryOutInPlace(const UninstallStep& step) {
  HeldFolders held = {};
  Removal removal;
  if (!HoldStepPlace(step, &held)) {
    char folder[kPathBufferSize];
    PathPrefix(step.path, LastComponentIndex(step.path) - 1, folder);
    removal = GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES && IsGone(GetLastError())
                  ? kWasGone
                  : kLeft;
  } else {
    const bool shortcutFolder = step.kind == kRemoveFolder && step.place == kInShortcutFolder;
    const bool shortcut = step.kind == kDeleteFile && step.place != kInInstallFolder;
    const ItemRule rule = {step.kind == kRemoveFolder,
                           shortcutFolder ? IsEmptiedShortcutFolder
                           : shortcut     ? IsProductShortcutItem
                                          : nullptr,
                           &step, 1};
    removal = RemoveItem(step.path, rule);
  }
  ReleaseFolders(&held);
  return removal;
}

bool CarryOut(const UninstallStep& step) {
  switch (step.kind) {
    case kDeleteFile:
    case kRemoveFolder: {
      const Removal removal = CarryOutInPlace(step);
      if (removal == kRemoved && step.kind == kDeleteFile && step.place == kInShortcutFolder &&
          !IsInternetShortcutStep(step))
        NoteEmptiedFolder(step);
      return removal != kLeft;  // what is not the product's is not left by this run
    }
    case kDeleteRegistryName:
      return DeleteRegistryName(step.root, step.path, step.lastAt);
    case kRemoveRegistryKey:
      return RemoveEmptyKey(step.root, step.path);
  }
  return false;
}

// The item as the message names it: a folder with its backslash, a registry name with its root.
void StepText(const UninstallStep& step, char* text) {
  if (step.kind == kDeleteFile)
    BoundedCopy(text, step.path, kPathBufferSize);
  else if (step.kind == kRemoveFolder)
    ComposePath(text, "%s\\", step.path);
  else
    ComposePath(text, "%s\\%s", RegistryRootName(step.root), step.path);
}

// The uninstall entry is the only key the product has under HKEY_LOCAL_MACHINE.
bool IsUninstallEntryStep(const UninstallStep& step) {
  return (step.kind == kDeleteRegistryName || step.kind == kRemoveRegistryKey) &&
         step.root == kLocalMachine;
}

// Carries out the steps of the uninstall entry (`entry`) or all the others, in the plan's order.
// True when an item of the product was left: a file or a registry value. A folder or key that
// is not empty is not one: what keeps it may be the user's own. While another installation is
// registered, the registry is its: no registry step is carried out.
bool CarryOutSteps(const UninstallPlan& plan, bool entry, ReportList* left) {
  bool itemLeft = false;
  // The plan's order, but the Internet shortcuts after every shell link, for a .url goes only
  // with one, and the shortcut folders after those.
  for (int pass = 0; pass < 3; ++pass)
    for (int i = 0; i < plan.count; ++i) {
      const UninstallStep& step = plan.steps[i];
      const bool shortcutFolder = step.kind == kRemoveFolder && step.place == kInShortcutFolder;
      if ((shortcutFolder ? 2 : IsInternetShortcutStep(step) ? 1 : 0) != pass) continue;
      if (IsUninstallEntryStep(step) != entry) continue;
      if (places.otherRegistered &&
          (step.kind == kDeleteRegistryName || step.kind == kRemoveRegistryKey))
        continue;
      if (CarryOut(step)) continue;
      if (step.kind == kDeleteFile || step.kind == kDeleteRegistryName) itemLeft = true;
      if (!step.reported) continue;
      char text[kPathBufferSize];
      StepText(step, text);
      AddReportItem(left, text);
    }
  return itemLeft;
}

}  // namespace

// The uninstall entry goes last, and only when nothing else of the product is left.
bool CarryOutPlan(const UninstallPlan& plan, ReportList* left) {
  return CarryOutSteps(plan, false, left) || CarryOutSteps(plan, true, left);
}
