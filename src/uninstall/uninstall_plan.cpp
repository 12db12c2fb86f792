// The uninstall plan (uninstall_plan.h): text work over the log and memory for the steps; no
// file system and no registry.
#include "uninstall/uninstall_plan.h"

#include <cstdlib>
#include <cstring>

#include "folders/code_page.h"
#include "install/install_text.h"
#include "install/web_address.h"
#include "lang/fill_text.h"

namespace {

constexpr char kSeparator = '\\';
// Lines are read whole up to this size, twice any path the uninstaller acts on: a longer one is
// passed over whole, and a path that does not fit a path buffer is passed over too, never cut.
constexpr int kLogLineSize = 2 * kPathBufferSize;
// Each installation logs one shortcut folder, and a user picks few in a lifetime; every file
// line is held against all of them, so a log naming more is passed over from there on rather
// than made to cost the square of its length.
constexpr int kMostShortcutFolders = 256;

const char* const kProductKeys[2] = {kUninstallKeyPath, kSettingsKeyPath};
const RegistryRoot kProductRoots[2] = {kLocalMachine, kCurrentUser};

bool LiesDirectlyIn(const char* path, const char* folder) {
  return IsInsideFolder(path, folder) && !FindCharacter(path + std::strlen(folder) + 1, kSeparator);
}

bool IsDriveRoot(const char* path) {
  return path[0] != '\0' && path[1] == ':' && path[2] == '\0';
}

// `path` lies below the install folder `folder`, which is plain or a drive's root (C:).
bool LiesInInstallFolder(const char* path, const char* folder) {
  return folder[0] != '\0' && IsPlainPath(path) && LiesBelow(path, folder);
}

bool IsNetworkPath(const char* path) {
  return path[0] == kSeparator && path[1] == kSeparator;
}

int CountSeparators(const char* path) {
  int count = 0;
  for (; *path; path += CharacterLength(path))
    if (*path == kSeparator) ++count;
  return count;
}

// A separator first, last or doubled in the key path `path`.
bool HasEmptyComponent(const char* path) {
  bool afterSeparator = true;  // the start of the path counts as one
  for (; *path; path += CharacterLength(path)) {
    const bool separator = *path == kSeparator && CharacterLength(path) == 1;
    if (separator && afterSeparator) return true;
    afterSeparator = separator;
  }
  return afterSeparator;
}

struct LogLine {
  char text[kLogLineSize];
  // False: longer than any line of the setup program, or holding a NUL byte, which none of its
  // lines holds (zeros that a crash left at the end of the file, the next installation's first
  // line after them); `text` is then empty.
  bool fits;
  bool ended;  // a line end closed it
};

// Reads the line at *position and moves past it and every CR and LF after it (so empty lines
// are passed over too). False at the end of the text. A NUL byte is a byte of its line, so the
// lines after it are read as usual. CR and LF end a line wherever they are: no double-byte code
// page has them as the second byte of a character.
bool ReadLogLine(const char* text, int length, int* position, LogLine* line) {
  const int start = *position;
  if (start >= length) return false;
  int stop = start;
  while (stop < length && text[stop] != '\r' && text[stop] != '\n')
    ++stop;
  line->fits =
      stop - start < kLogLineSize && !std::memchr(text + start, '\0', size_t(stop - start));
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
  unsigned levelsAbove;  // bit n: a line names the folder n levels above the install folder
};

void AddStep(LogPass* pass, StepKind kind, RegistryRoot root, const char* path, int lastAt,
             int placeLength, bool reported, StepPlace place = kInInstallFolder) {
  UninstallStep step;
  step.kind = kind;
  step.place = place;
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

bool IsShortcutOf(const char* name, const ShortcutName* names, int count) {
  for (int i = 0; i < count; ++i)
    if (IsSamePath(name, names[i].file)) return true;
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

// The length of the place where `path` is a file of the product, with that place's kind in
// `place`, or -1 where it is none.
int PlaceOfFile(const LogPass& pass, const char* path, StepPlace* place) {
  const ProductNames& names = *pass.places->names;
  const char* installFolder = pass.installFolder;
  *place = kInInstallFolder;
  if (LiesInInstallFolder(path, installFolder) &&
      IsOneOf(NameAfter(path, installFolder), names.files, names.fileCount))
    return int(std::strlen(installFolder));
  *place = kInShortcutFolder;
  for (int i = 0; i < pass.shortcutCount; ++i) {
    const char* folder = pass.shortcutFolders[i].path;
    if (LiesDirectlyIn(path, folder) &&
        IsShortcutOf(NameAfter(path, folder), names.shortcuts, names.shortcutCount))
      return int(std::strlen(folder));
  }
  *place = kOnDesktop;
  const char* desktop = pass.desktopFolder;
  if (LiesDirectlyIn(path, desktop) &&
      IsShortcutOf(NameAfter(path, desktop), names.desktopShortcuts, names.desktopShortcutCount))
    return int(std::strlen(desktop));
  return -1;
}

// Every installation logs its shortcut folder again: each is kept once, so that the files of a
// long log are held against the few folders there are.
bool IsKnownShortcutFolder(const LogPass& pass, const char* path) {
  for (int i = 0; i < pass.shortcutCount; ++i)
    if (IsSamePath(pass.shortcutFolders[i].path, path)) return true;
  return false;
}

// True when the line was taken (even if, like the install folder, it is left to the end).
bool TakeFolderLine(LogPass* pass, char* line) {
  char path[kPathBufferSize];
  const char* installFolder = pass->installFolder;
  // The install folder may be a root (C:\), which is no plain path.
  const bool isInstallFolder =
      installFolder[0] && NormalizePath(line, path) && IsSamePath(path, installFolder);
  line[std::strlen(line) - 1] = '\0';  // the folder line's backslash
  if (!isInstallFolder && !ToPlainPath(line, path)) return false;
  if (pass->afterRegistry) {  // a shortcut folder: its own place
    // The setup program never makes one on a network share, and opening one would hand the
    // share's server this user's credentials.
    if (IsNetworkPath(path)) return false;
    const bool known = IsKnownShortcutFolder(*pass, path);
    if (!known && pass->shortcutCount >= kMostShortcutFolders) return false;
    Folder folder;
    BoundedCopy(folder.path, path, sizeof folder.path);
    if (!known &&
        !Append(&pass->shortcutFolders, &pass->shortcutCount, &pass->shortcutCapacity, folder))
      pass->outOfMemory = true;
    if (isInstallFolder)
      pass->listsInstallFolder = true;
    else if (!IsKeptFolder(*pass, path))
      AddStep(pass, kRemoveFolder, kLocalMachine, path, 0, int(std::strlen(path)), false,
              kInShortcutFolder);
    return true;
  }
  if (isInstallFolder) {
    pass->listsInstallFolder = true;
    return true;
  }
  // A folder the setup program made on its way to the install folder; one further up than
  // kMostFoldersAbove is taken, and stays.
  if (LiesBelow(installFolder, path)) {
    const int level = CountSeparators(installFolder) - CountSeparators(path);
    if (level <= kMostFoldersAbove && !IsKeptFolder(*pass, path)) pass->levelsAbove |= 1u << level;
    return true;
  }
  if (!LiesInInstallFolder(path, installFolder) ||
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
  StepPlace place;
  const int placeLength = PlaceOfFile(*pass, path, &place);
  if (placeLength < 0) return false;
  AddStep(pass, kDeleteFile, kLocalMachine, path, 0, placeLength, true, place);
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

// The byte `c` as the sort below orders it: ASCII letters folded, the separator before every
// other byte, so that everything below a path comes right after that path.
int SortByte(char c) {
  if (c == kSeparator) return 1;
  const unsigned char folded = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return folded == 0 ? 0 : folded + 1;
}

int SpaceOf(const UninstallStep& step) {
  return IsRegistryStep(step) ? 1 + int(step.root) : 0;
}

// File steps first, then each registry root's, each by path as SortByte orders it.
int ComparePlaces(const UninstallStep& a, const UninstallStep& b) {
  if (SpaceOf(a) != SpaceOf(b)) return SpaceOf(a) - SpaceOf(b);
  for (const char *x = a.path, *y = b.path;; ++x, ++y) {
    if (*x == *y) {  // the same byte sorts the same: the long common starts cost little
      if (*x == '\0') return 0;
      // A double-byte character sorts by its bytes as they are: its second byte is no separator
      // and no letter to fold.
      if (CharacterLength(x) == 2) {
        ++x, ++y;
        if (*x != *y) return static_cast<unsigned char>(*x) - static_cast<unsigned char>(*y);
      }
      continue;
    }
    const int difference = SortByte(*x) - SortByte(*y);
    if (difference != 0) return difference;
  }
}

// For std::qsort over pointers into one array of steps: by place, then kind, then position, so
// that repeats of one step lie together in the order of the log.
int CompareForRepeats(const void* a, const void* b) {
  const UninstallStep* x = *static_cast<const UninstallStep* const*>(a);
  const UninstallStep* y = *static_cast<const UninstallStep* const*>(b);
  const int byPlace = ComparePlaces(*x, *y);
  if (byPlace != 0) return byPlace;
  if (x->kind != y->kind) return int(x->kind) - int(y->kind);
  return x < y ? -1 : x > y ? 1 : 0;
}

// Pointers to each of `count` steps, sorted with std::qsort by CompareForRepeats; null when
// memory ran out.
const UninstallStep** SortedSteps(const UninstallStep* steps, int count) {
  if (count <= 0) return nullptr;
  const UninstallStep** sorted =
      static_cast<const UninstallStep**>(std::malloc(size_t(count) * sizeof(UninstallStep*)));
  if (!sorted) return nullptr;
  for (int i = 0; i < count; ++i)
    sorted[i] = steps + i;
  std::qsort(sorted, size_t(count), sizeof *sorted, CompareForRepeats);
  return sorted;
}

// The log's steps from its last line to its first, each step once, at the place of its last
// line: the latest installation is undone first. Repeats are found by sorting, so a long log
// costs n log n. -1 when memory ran out.
int ReverseWithoutRepeats(const UninstallStep* steps, int count, UninstallStep* out) {
  if (count <= 0) return 0;
  const UninstallStep** sorted = SortedSteps(steps, count);
  // Per step: 0 dropped, 1 kept, 2 kept and reported.
  char* keep = static_cast<char*>(std::calloc(size_t(count), 1));
  if (!sorted || !keep) {
    std::free(sorted);
    std::free(keep);
    return -1;
  }
  for (int first = 0, next; first < count; first = next) {
    bool reported = false;  // made by one of them
    for (next = first; next < count && SameStep(*sorted[next], *sorted[first]); ++next)
      reported = reported || sorted[next]->reported;
    keep[sorted[next - 1] - steps] = reported ? 2 : 1;  // the last of them in the log
  }
  int kept = 0;
  for (int i = count - 1; i >= 0; --i) {
    if (!keep[i]) continue;
    out[kept] = steps[i];
    out[kept++].reported = keep[i] == 2;
  }
  std::free(keep);
  std::free(sorted);
  return kept;
}

struct OrderKey {
  int place, depth, index;
};

// For std::qsort: by place, the deeper first, and otherwise as they were.
int CompareOrderKeys(const void* a, const void* b) {
  const OrderKey* x = static_cast<const OrderKey*>(a);
  const OrderKey* y = static_cast<const OrderKey*>(b);
  if (x->place != y->place) return x->place - y->place;
  if (x->depth != y->depth) return y->depth - x->depth;
  return x->index - y->index;
}

// Gives each step the place of the last step that lies within it (its own when none does), in
// `place`. In sorted order, whatever lies within a path comes right after it, so one pass with
// a stack of the paths that hold the current one finds them all. A path's steps (a file and a
// folder of one name, say) are one group.
void FindContentPlaces(const UninstallStep* steps, const UninstallStep* const* sorted, int count,
                       int* place, int* stack) {
  int* groupEnd = stack + count;
  int* lastWithin = groupEnd + count;
  int depth = 0;
  const auto finish = [&] {
    --depth;
    int last = lastWithin[depth];
    for (int k = stack[depth]; k < groupEnd[depth]; ++k) {
      const int i = int(sorted[k] - steps);
      place[i] = i > lastWithin[depth] ? i : lastWithin[depth];
      if (i > last) last = i;
    }
    if (depth > 0 && last > lastWithin[depth - 1]) lastWithin[depth - 1] = last;
  };
  for (int k = 0, end; k < count; k = end) {
    for (end = k + 1; end < count && ComparePlaces(*sorted[end], *sorted[k]) == 0; ++end) {
    }
    while (depth > 0 && !LiesWithin(*sorted[k], *sorted[stack[depth - 1]]))
      finish();
    stack[depth] = k;
    groupEnd[depth] = end;
    lastWithin[depth++] = -1;
  }
  while (depth > 0)
    finish();
}

// Puts each step after everything that lies within it, keeping the order otherwise: a step
// moves to the place of the last step within it, and of steps at one place the deeper come
// first. Every step within another at one place lies on one chain of folders (or keys), so depth
// orders them.
bool OrderContentsFirst(UninstallStep* steps, int count) {
  if (count <= 0) return true;
  const UninstallStep** sorted = SortedSteps(steps, count);
  int* place = static_cast<int*>(std::malloc(size_t(count) * 4 * sizeof(int)));
  OrderKey* keys = static_cast<OrderKey*>(std::malloc(size_t(count) * sizeof(OrderKey)));
  UninstallStep* ordered = static_cast<UninstallStep*>(std::malloc(size_t(count) * sizeof *steps));
  const bool ok = sorted && place && keys && ordered;
  if (ok) {
    FindContentPlaces(steps, sorted, count, place, place + count);
    for (int i = 0; i < count; ++i)
      keys[i] = OrderKey{place[i], CountSeparators(steps[i].path), i};
    std::qsort(keys, size_t(count), sizeof *keys, CompareOrderKeys);
    for (int i = 0; i < count; ++i)
      ordered[i] = steps[keys[i].index];
    std::memcpy(steps, ordered, size_t(count) * sizeof *steps);
  }
  std::free(ordered);
  std::free(keys);
  std::free(place);
  std::free(sorted);
  return ok;
}

bool AddKeyTidying(UninstallPlan* plan, int* capacity, RegistryRoot root, const char* path) {
  UninstallStep step;
  step.kind = kRemoveRegistryKey;
  step.place = kInInstallFolder;  // no file step
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
  if (length >= 2 && line[0] == '[' && EndsWithCharacter(line, ']')) return kRegistryLine;
  if (EndsWithCharacter(line, kSeparator)) return kFolderLine;
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
    if (HasEmptyComponent(name->path)) return false;
    name->root = root;
    const char* last = FindLastCharacter(name->path, kSeparator);
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
  *plan = UninstallPlan{};
  LogPass pass = {};
  pass.places = &places;
  // A drive's root may be the install folder; any other must be plain.
  if (!NormalizePath(places.installFolder, pass.installFolder) ||
      !(IsPlainPath(pass.installFolder) || IsDriveRoot(pass.installFolder)))
    pass.installFolder[0] = '\0';
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
    const int kept = ReverseWithoutRepeats(pass.steps, pass.count, plan->steps);
    plan->count = kept < 0 ? 0 : kept;
    ok = kept >= 0 && OrderContentsFirst(plan->steps, plan->count) && AddKeysTidying(plan, pass);
  }
  std::free(pass.steps);
  if (!ok) {
    FreeUninstallPlan(plan);
    return false;
  }
  plan->taken = pass.taken;
  plan->passedOver = pass.passedOver;
  plan->listsInstallFolder = pass.listsInstallFolder;
  // The levels named one after the other from the install folder's parent up.
  plan->foldersAbove = __builtin_ctz(~(pass.levelsAbove >> 1));
  return true;
}

void FreeUninstallPlan(UninstallPlan* plan) {
  std::free(plan->steps);
  *plan = UninstallPlan{};
}

bool IsProductShortcut(const ShortcutName* names, int count, const char* fileName,
                       const char* target, const char* installFolder) {
  char targetPath[kPathBufferSize], productPath[kPathBufferSize], entry[kPathBufferSize];
  const bool isPath = NormalizePath(target, targetPath);
  for (int i = 0; i < count; ++i) {
    if (!IsSamePath(fileName, names[i].file)) continue;
    if (IsWebAddress(names[i].target)) {
      if (std::strcmp(target, names[i].target) == 0) return true;
      continue;
    }
    if (isPath && installFolder[0] &&
        ComposePath(entry, "%s\\%s", installFolder, names[i].target) &&
        NormalizePath(entry, productPath) && IsSamePath(targetPath, productPath))
      return true;
  }
  return false;
}

bool ReadInternetShortcutAddress(const char* text, int length, char* address, size_t size) {
  static const char kKey[] = "URL=";
  const int keyLength = int(sizeof kKey) - 1;
  for (int at = 0; at < length;) {
    int end = at;
    while (end < length && text[end] != '\r' && text[end] != '\n')
      ++end;
    if (end - at >= keyLength && SameStart(text + at, kKey, size_t(keyLength))) {
      const size_t valueLength = size_t(end - at - keyLength);
      if (valueLength >= size || std::memchr(text + at + keyLength, '\0', valueLength))
        return false;
      std::memcpy(address, text + at + keyLength, valueLength);
      address[valueLength] = '\0';
      return true;
    }
    at = end + 1;
  }
  return false;
}
