// The uninstall plan (uninstall_plan.h): text work over the log and memory for the steps; no
// file system and no registry.
#include "uninstall/uninstall_plan.h"

#include <cstdlib>
#include <cstring>

#include "install/install_text.h"

namespace {

constexpr char kSeparator = '\\';
// Lines are read whole up to this size, twice any path the uninstaller acts on: a longer one is
// passed over whole, and a path that does not fit a path buffer is passed over too, never cut.
constexpr int kLogLineSize = 2 * kPathBufferSize;

const char* const kProductKeys[2] = {kUninstallKeyPath, kSettingsKeyPath};
const RegistryRoot kProductRoots[2] = {kLocalMachine, kCurrentUser};

bool LiesDirectlyIn(const char* path, const char* folder) {
  return IsInsideFolder(path, folder) && !std::strchr(path + std::strlen(folder) + 1, kSeparator);
}

int CountSeparators(const char* path) {
  int count = 0;
  for (; *path; ++path)
    if (*path == kSeparator) ++count;
  return count;
}

struct LogLine {
  char text[kLogLineSize];
  bool fits;   // false: longer than any line of the setup program; `text` is then empty
  bool ended;  // a line end closed it
};

// Reads the line at *position and moves past it and every CR and LF after it (so empty lines
// are passed over too). False at the end of the text or at a NUL byte.
bool ReadLogLine(const char* text, int length, int* position, LogLine* line) {
  const int start = *position;
  if (start >= length || text[start] == '\0') return false;
  int stop = start;
  while (stop < length && text[stop] != '\0' && text[stop] != '\r' && text[stop] != '\n')
    ++stop;
  line->fits = stop - start < kLogLineSize;
  const int kept = line->fits ? stop - start : 0;
  std::memcpy(line->text, text + start, size_t(kept));
  line->text[kept] = '\0';
  line->ended = stop < length && (text[stop] == '\r' || text[stop] == '\n');
  while (stop < length && (text[stop] == '\r' || text[stop] == '\n'))
    ++stop;
  *position = stop;
  return true;
}

// A growing list of steps, or of shortcut folders: blocks from std::realloc.
template <typename Item>
bool Append(Item** items, int* count, int* capacity, const Item& item) {
  if (*count == *capacity) {
    const int grown = *capacity ? *capacity * 2 : 64;
    void* block = std::realloc(*items, size_t(grown) * sizeof(Item));
    if (!block) return false;
    *items = static_cast<Item*>(block);
    *capacity = grown;
  }
  (*items)[(*count)++] = item;
  return true;
}

struct Folder {
  char path[kPathBufferSize];
};

// What the pass over the log in its own order collects.
struct LogPass {
  const UninstallPlaces* places;
  // The places, normalised; "" for one that is unknown or not plain.
  char installFolder[kPathBufferSize], programPath[kPathBufferSize], logPath[kPathBufferSize],
      desktopFolder[kPathBufferSize];
  UninstallStep* steps;  // in log order, repeats included
  int count, capacity;
  Folder* shortcutFolders;
  int shortcutCount, shortcutCapacity;
  bool afterRegistry;  // the line before was a registry line that was taken
  bool keyNamed[2];    // a line lay at or below the product key of that index
  bool outOfMemory;
  int taken, passedOver;
  bool listsInstallFolder;
};

void AddStep(LogPass* pass, StepKind kind, RegistryRoot root, const char* path, int lastAt,
             int placeLength, bool reported) {
  UninstallStep step;
  step.kind = kind;
  step.root = root;
  BoundedCopy(step.path, path, sizeof step.path);  // every path here fits: it was checked
  step.lastAt = lastAt;
  step.placeLength = placeLength;
  step.reported = reported;
  if (!Append(&pass->steps, &pass->count, &pass->capacity, step)) pass->outOfMemory = true;
}

// `path` normalised into `out` when that gives a plain path; "" and false otherwise.
bool ToPlainPath(const char* path, char* out) {
  if (NormalizePath(path, out) && IsPlainPath(out)) return true;
  out[0] = '\0';
  return false;
}

bool IsKeptFolder(const LogPass& pass, const char* folder) {
  const UninstallPlaces& places = *pass.places;
  char kept[kPathBufferSize];
  for (int i = 0; i < places.keptFolderCount; ++i)
    if (ToPlainPath(places.keptFolders[i], kept) && IsSamePath(folder, kept)) return true;
  return false;
}

bool IsOneOf(const char* name, const char* const* names, int count) {
  for (int i = 0; i < count; ++i)
    if (IsSamePath(name, names[i])) return true;
  return false;
}

// `relative` (below the install folder) is a folder that holds one of the product's files.
bool IsProductFolder(const ProductNames& names, const char* relative) {
  const size_t length = std::strlen(relative);
  for (int i = 0; i < names.fileCount; ++i)
    if (SameStart(names.files[i], relative, length) && names.files[i][length] == kSeparator)
      return true;
  return false;
}

const char* NameAfter(const char* path, const char* folder) {
  return path + std::strlen(folder) + 1;
}

// The length of the place where `path` is a file of the product, or -1 where it is none.
int PlaceOfFile(const LogPass& pass, const char* path) {
  const ProductNames& names = *pass.places->names;
  const char* installFolder = pass.installFolder;
  if (IsInsideFolder(path, installFolder) &&
      IsOneOf(NameAfter(path, installFolder), names.files, names.fileCount))
    return int(std::strlen(installFolder));
  for (int i = 0; i < pass.shortcutCount; ++i) {
    const char* folder = pass.shortcutFolders[i].path;
    if (LiesDirectlyIn(path, folder) &&
        IsOneOf(NameAfter(path, folder), names.shortcuts, names.shortcutCount))
      return int(std::strlen(folder));
  }
  const char* desktop = pass.desktopFolder;
  if (LiesDirectlyIn(path, desktop) &&
      IsOneOf(NameAfter(path, desktop), names.desktopShortcuts, names.desktopShortcutCount))
    return int(std::strlen(desktop));
  return -1;
}

// True when the line was taken (even if, like the install folder, it is left to the end).
bool TakeFolderLine(LogPass* pass, char* line) {
  line[std::strlen(line) - 1] = '\0';  // the folder line's backslash
  char path[kPathBufferSize];
  if (!ToPlainPath(line, path)) return false;
  const char* installFolder = pass->installFolder;
  const bool isInstallFolder = IsSamePath(path, installFolder);
  if (pass->afterRegistry) {  // a shortcut folder: its own place, whatever it is
    Folder folder;
    BoundedCopy(folder.path, path, sizeof folder.path);
    if (!Append(&pass->shortcutFolders, &pass->shortcutCount, &pass->shortcutCapacity, folder))
      pass->outOfMemory = true;
    if (isInstallFolder)
      pass->listsInstallFolder = true;
    else if (!IsKeptFolder(*pass, path))
      AddStep(pass, kRemoveFolder, kLocalMachine, path, 0, int(std::strlen(path)), false);
    return true;
  }
  if (isInstallFolder) {
    pass->listsInstallFolder = true;
    return true;
  }
  if (!IsInsideFolder(path, installFolder) ||
      !IsProductFolder(*pass->places->names, NameAfter(path, installFolder)))
    return false;
  if (!IsKeptFolder(*pass, path))
    AddStep(pass, kRemoveFolder, kLocalMachine, path, 0, int(std::strlen(installFolder)), true);
  return true;
}

bool TakeFileLine(LogPass* pass, const char* line) {
  char path[kPathBufferSize];
  if (!ToPlainPath(line, path)) return false;
  // uninstall.exe and the log go last, and by other means.
  if (IsSamePath(path, pass->programPath) || IsSamePath(path, pass->logPath)) return true;
  const int placeLength = PlaceOfFile(*pass, path);
  if (placeLength < 0) return false;
  AddStep(pass, kDeleteFile, kLocalMachine, path, 0, placeLength, true);
  return true;
}

bool TakeRegistryLine(LogPass* pass, const char* line) {
  RegistryName name;
  if (!ParseRegistryLine(line, &name)) return false;
  const int key = ProductKeyOf(name);
  if (key < 0) return false;
  pass->keyNamed[key] = true;
  // The product key itself has no value above it that could be the product's.
  if (IsSamePath(name.path, kProductKeys[key]))
    AddStep(pass, kRemoveRegistryKey, name.root, name.path, 0, 0, true);
  else
    AddStep(pass, kDeleteRegistryName, name.root, name.path, name.lastAt, 0, true);
  return true;
}

void TakeLine(LogPass* pass, LogLine* line) {
  if (line->fits && line->text[0] == '\0') return;  // an empty line says nothing
  bool taken = false, registry = false;
  if (line->fits && line->ended) {
    switch (LogLineKindOf(line->text)) {
      case kFolderLine:
        taken = TakeFolderLine(pass, line->text);
        break;
      case kFileLine:
        taken = TakeFileLine(pass, line->text);
        break;
      case kRegistryLine:
        taken = registry = TakeRegistryLine(pass, line->text);
        break;
    }
  }
  if (taken)
    ++pass->taken;
  else
    ++pass->passedOver;
  pass->afterRegistry = registry;
}

bool IsRegistryStep(const UninstallStep& step) {
  return step.kind == kDeleteRegistryName || step.kind == kRemoveRegistryKey;
}

// Both name the file system, or both the same registry root.
bool SameSpace(const UninstallStep& a, const UninstallStep& b) {
  return IsRegistryStep(a) == IsRegistryStep(b) && (!IsRegistryStep(a) || a.root == b.root);
}

bool SameStep(const UninstallStep& a, const UninstallStep& b) {
  return a.kind == b.kind && SameSpace(a, b) && IsSamePath(a.path, b.path);
}

// `inner` is what keeps `outer` from being empty: a file or folder in a folder, a value or key
// below a key.
bool LiesWithin(const UninstallStep& inner, const UninstallStep& outer) {
  return SameSpace(inner, outer) && LiesBelow(inner.path, outer.path);
}

// The log's steps from its last line to its first, each step once, at the place of its last
// line: the latest installation is undone first.
int ReverseWithoutRepeats(const UninstallStep* steps, int count, UninstallStep* out) {
  int kept = 0;
  for (int i = count - 1; i >= 0; --i) {
    int same = 0;
    while (same < kept && !SameStep(out[same], steps[i]))
      ++same;
    if (same < kept) {
      out[same].reported = out[same].reported || steps[i].reported;  // made by one of them
    } else {
      out[kept++] = steps[i];
    }
  }
  return kept;
}

// Puts each step after everything that lies within it, keeping the order otherwise: a step
// moves to the place of the last step within it, and of steps at one place the deeper come
// first. Every step within another at one place lies on one chain of folders (or keys), so depth
// orders them.
bool OrderContentsFirst(UninstallStep* steps, int count) {
  if (count == 0) return true;
  int* place = static_cast<int*>(std::malloc(size_t(count) * 2 * sizeof(int)));
  UninstallStep* ordered = static_cast<UninstallStep*>(std::malloc(size_t(count) * sizeof *steps));
  if (!place || !ordered) {
    std::free(place);
    std::free(ordered);
    return false;
  }
  int* order = place + count;
  for (int i = 0; i < count; ++i) {
    place[i] = i;
    for (int j = i + 1; j < count; ++j)
      if (LiesWithin(steps[j], steps[i])) place[i] = j;
  }
  auto before = [&](int a, int b) {
    if (place[a] != place[b]) return place[a] < place[b];
    return CountSeparators(steps[a].path) > CountSeparators(steps[b].path);
  };
  for (int i = 0; i < count; ++i) {  // an insertion sort: stable, and the plan is short
    int at = i;
    for (; at > 0 && before(i, order[at - 1]); --at)
      order[at] = order[at - 1];
    order[at] = i;
  }
  for (int i = 0; i < count; ++i)
    ordered[i] = steps[order[i]];
  std::memcpy(steps, ordered, size_t(count) * sizeof *steps);
  std::free(ordered);
  std::free(place);
  return true;
}

bool AddKeyTidying(UninstallPlan* plan, int* capacity, RegistryRoot root, const char* path) {
  UninstallStep step;
  step.kind = kRemoveRegistryKey;
  step.root = root;
  BoundedCopy(step.path, path, sizeof step.path);
  step.lastAt = 0;
  step.placeLength = 0;
  step.reported = false;
  for (int i = 0; i < plan->count; ++i)
    if (SameStep(plan->steps[i], step)) return true;
  return Append(&plan->steps, &plan->count, capacity, step);
}

// The product keys that lines lay below, then the maker's key above the settings key, each
// removed when empty: the settings key has no line of its own.
bool AddKeysTidying(UninstallPlan* plan, const LogPass& pass) {
  int capacity = plan->count;
  for (int key = 0; key < 2; ++key)
    if (pass.keyNamed[key] &&
        !AddKeyTidying(plan, &capacity, kProductRoots[key], kProductKeys[key]))
      return false;
  if (!pass.keyNamed[1]) return true;
  char maker[kPathBufferSize];
  BoundedCopy(maker, kSettingsKeyPath,
              size_t(std::strrchr(kSettingsKeyPath, kSeparator) - kSettingsKeyPath) + 1);
  return AddKeyTidying(plan, &capacity, kCurrentUser, maker);
}

}  // namespace

LogLineKind LogLineKindOf(const char* line) {
  const size_t length = std::strlen(line);
  if (length >= 2 && line[0] == '[' && line[length - 1] == ']') return kRegistryLine;
  if (length > 0 && line[length - 1] == kSeparator) return kFolderLine;
  return kFileLine;
}

const char* RegistryRootName(RegistryRoot root) {
  return root == kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

bool ParseRegistryLine(const char* line, RegistryName* name) {
  const size_t length = std::strlen(line);
  if (LogLineKindOf(line) != kRegistryLine) return false;
  const RegistryRoot roots[] = {kLocalMachine, kCurrentUser};
  for (RegistryRoot root : roots) {
    const char* rootName = RegistryRootName(root);
    const size_t rootLength = std::strlen(rootName);
    // "[", the root, a separator, at least one byte of path and "]".
    if (length < rootLength + 4 || !SameStart(line + 1, rootName, rootLength) ||
        line[rootLength + 1] != kSeparator)
      continue;
    const char* path = line + rootLength + 2;
    const size_t pathLength = size_t(line + length - 1 - path);
    if (pathLength >= sizeof name->path) return false;
    std::memcpy(name->path, path, pathLength);
    name->path[pathLength] = '\0';
    if (name->path[0] == kSeparator || name->path[pathLength - 1] == kSeparator ||
        std::strstr(name->path, "\\\\"))
      return false;
    name->root = root;
    const char* last = std::strrchr(name->path, kSeparator);
    name->lastAt = last ? int(last - name->path) + 1 : 0;
    return true;
  }
  return false;
}

int ProductKeyOf(const RegistryName& name) {
  for (int key = 0; key < 2; ++key)
    if (name.root == kProductRoots[key] &&
        (IsSamePath(name.path, kProductKeys[key]) || LiesBelow(name.path, kProductKeys[key])))
      return key;
  return -1;
}

bool BuildUninstallPlan(const char* text, int length, const UninstallPlaces& places,
                        UninstallPlan* plan) {
  *plan = UninstallPlan{nullptr, 0, 0, 0, false};
  LogPass pass = {};
  pass.places = &places;
  ToPlainPath(places.installFolder, pass.installFolder);
  ToPlainPath(places.programPath, pass.programPath);
  ToPlainPath(places.logPath, pass.logPath);
  ToPlainPath(places.desktopFolder, pass.desktopFolder);
  LogLine line;
  for (int position = 0; ReadLogLine(text, length, &position, &line);)
    TakeLine(&pass, &line);
  std::free(pass.shortcutFolders);

  bool ok = !pass.outOfMemory;
  if (ok && pass.count > 0) {
    plan->steps = static_cast<UninstallStep*>(std::malloc(size_t(pass.count) * sizeof *pass.steps));
    ok = plan->steps != nullptr;
  }
  if (ok) {
    plan->count = ReverseWithoutRepeats(pass.steps, pass.count, plan->steps);
    ok = OrderContentsFirst(plan->steps, plan->count) && AddKeysTidying(plan, pass);
  }
  std::free(pass.steps);
  if (!ok) {
    FreeUninstallPlan(plan);
    return false;
  }
  plan->taken = pass.taken;
  plan->passedOver = pass.passedOver;
  plan->listsInstallFolder = pass.listsInstallFolder;
  return true;
}

void FreeUninstallPlan(UninstallPlan* plan) {
  std::free(plan->steps);
  *plan = UninstallPlan{nullptr, 0, 0, 0, false};
}
