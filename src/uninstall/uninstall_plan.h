// What the uninstaller makes of the install log: each line sorted into its kind, held against
// the places and names that belong to the product, repeated lines dropped and the rest put into
// the order of removal. Platform-neutral: product/uninstall/carry_out_win32.cpp only carries the
// steps out.
//
// The log is the setup program's (install/install_text.h), appended to by every installation
// into the folder, so lines repeat. It lies in the install folder, which every user may be able
// to write, so it may also be damaged or edited by anyone, and no log may make the uninstaller
// touch what is not the product's. Every path is first brought to the form Windows itself opens
// (NormalizePath, folders/path_form.h), and judged and acted on in that form only. A line is acted
// on only when it names
//  - a file inside the install folder (the folder of uninstall.exe) whose name there is one of
//    the product's file names, or a folder that holds such a name;
//  - a shortcut folder, that is a folder line right after a registry line (where the setup
//    program writes it, after the settings key lines), on a drive and not on a network share, or
//    a file directly in a shortcut folder named on an earlier line and bearing one of the
//    product's shortcut file names;
//  - the desktop shortcut's file name directly in the user's desktop folder;
//  - a registry name at or below the uninstall key or the settings key;
//  - a folder above the install folder on its path (the folders the setup program made to reach
//    it), but never a drive's root.
// Every other line is passed over, and so is every path of 260 bytes or more: nothing is ever
// cut to fit. Paths compare without regard to the case of ASCII letters. The install folder may
// be a drive's root (C:\): the product's names are taken there as anywhere, the root never.
//
// A name is not enough for what another program or the user may have made: a shortcut is
// removed only when what it points at is the product's (IsProductShortcut), and a shortcut
// folder only when this run removed a shortcut of the product's from it; the uninstaller checks
// both when it carries the steps out.
#pragma once

#include <cstddef>

#include "folders/path_form.h"

enum LogLineKind { kFolderLine, kFileLine, kRegistryLine };

// The kind of a log line (without its line end), told by its form alone: a registry line begins
// with "[" and ends with "]", a folder line ends with a backslash, every other line is a file
// line.
LogLineKind LogLineKindOf(const char* line);

enum RegistryRoot { kLocalMachine, kCurrentUser };

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER", as the log writes them.
const char* RegistryRootName(RegistryRoot root);

struct RegistryName {
  RegistryRoot root;
  char path[kPathBufferSize];  // the whole name below the root, read as a key path
  int lastAt;                  // where the last component of `path` starts: 0 for one component
};

// Reads "[" root "\" path "]". False unless the root is HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
// (ASCII case ignored, as the registry does) and the path is not empty, has no empty component
// and fits the buffer.
bool ParseRegistryLine(const char* line, RegistryName* name);

// Which of the two keys the setup program writes `name` lies at or below: 0 the uninstall key,
// 1 the settings key, -1 neither. Components are whole: ...\Quintaxel2 is not below ...\Quintaxel.
int ProductKeyOf(const RegistryName& name);

enum StepKind {
  kDeleteFile,
  kRemoveFolder,  // only when it is empty: a file the user put there keeps it
  // The value named by the last component, in the key above it; when that key has no such
  // value, the whole name as a key, removed when it is empty.
  kDeleteRegistryName,
  kRemoveRegistryKey,  // only when it has neither values nor subkeys
};

// Where a file or folder step's item lies, which says how it is checked when it is carried out.
enum StepPlace {
  kInInstallFolder,   // below the install folder, which the uninstaller holds with its chain
  kInShortcutFolder,  // a shortcut in a shortcut folder; for kRemoveFolder, that folder itself
  kOnDesktop,         // the desktop shortcut
};

struct UninstallStep {
  StepKind kind;
  StepPlace place;             // file and folder steps only
  RegistryRoot root;           // registry steps only
  char path[kPathBufferSize];  // the file or folder (no trailing backslash), or the key path
  // Files and folders: the length of the allowed place that `path` begins with (the install
  // folder, a shortcut folder or the desktop). Every folder between it and the item must be a
  // plain folder, not a link, when the step is carried out. For a shortcut folder, which is
  // its own place, the whole length.
  int placeLength;
  int lastAt;  // kDeleteRegistryName: where the value name starts in `path`
  // Whether a failure is reported. Not for a shortcut folder, which the setup program logs
  // whether or not it made it, nor for the keys tidied away at the end, which no line names.
  bool reported;
};

// A shortcut the setup program makes: its file name, with ".lnk" or ".url", and what it points
// at, the text of its "scNsrc": a web address, or an entry name in the install folder.
struct ShortcutName {
  const char* file;
  const char* target;
};

// The names of the product's files and shortcuts, as the build knows them from the payload
// manifest and the setup language file. Names compare without regard to ASCII letter case.
struct ProductNames {
  const char* const* files;  // below the install folder: help\english\index.html, the log
  int fileCount;
  const ShortcutName* shortcuts;  // the shortcuts of every language
  int shortcutCount;
  const ShortcutName* desktopShortcuts;  // the desktop shortcut of every language
  int desktopShortcutCount;
};

// The product's names, defined by the source that the build makes with "qxpack names".
extern const ProductNames kProductNames;

struct UninstallPlaces {
  const char* installFolder;  // the folder of uninstall.exe, without a trailing backslash
  const char* programPath;    // uninstall.exe itself
  const char* logPath;        // the log
  const char* desktopFolder;  // the user's desktop, "" when unknown
  // Folders never removed though a line names them: the user's own special folders (the
  // desktop, the Start menu, ...), which the user may have picked as the shortcut folder.
  const char* const* keptFolders;
  int keptFolderCount;
  const ProductNames* names;
};

// The folders above the install folder that an uninstaller removes at most.
constexpr int kMostFoldersAbove = 8;

struct UninstallPlan {
  UninstallStep* steps;  // in the order of removal; null when there are none
  int count;
  // Lines acted on, repeats included: 0 for an empty log, or one whose every line was passed
  // over, which then says nothing of what to remove.
  int taken;
  // Lines not acted on: outside the product's places or names, naming a path of 260 bytes or
  // more, holding a NUL byte, or the last line when it has no line end (the log was cut while it
  // was written, so the line may name a shorter path, another file). Empty lines are not
  // counted.
  int passedOver;
  // The log names the install folder itself, so an installation made it. It is removed at the
  // very end, when empty, after uninstall.exe and the log; neither of those two, nor the folder,
  // is a step of the plan (see removal_copy_win32.h).
  bool listsInstallFolder;
  // How many folders right above the install folder, from its parent up to the first that no
  // line names (kMostFoldersAbove at most), the log names as the setup program's own: the folders
  // it made on its way to the install folder, on that folder's path and never a drive's root or a
  // kept folder. They go after the install folder, each when empty, and are no steps of the plan
  // either.
  int foldersAbove;
};

// Builds the plan from the log's text (`length` bytes, NUL bytes among them): the lines in
// reverse order, each line that several installations wrote once (at its last place in the
// log), but every file, folder or key after what lies inside it, so that a folder comes after
// its contents even when a later installation logged them. After them, the uninstall key and
// the settings key when a line lay below them, and then "Software\Vorlen Software", each removed
// when empty. False when memory ran out; the plan is then empty.
bool BuildUninstallPlan(const char* text, int length, const UninstallPlaces& places,
                        UninstallPlan* plan);

void FreeUninstallPlan(UninstallPlan* plan);

// True when a shortcut whose file is called `fileName` and that points at `target` is one the
// product made: a shortcut of `names` has that file name (ASCII case ignored) and its "scNsrc" is
// the same web address, byte for byte, or names the same file in `installFolder` (a normalised
// folder, which may be a drive's root) as `target` does, as Windows opens both. `target` is a
// shell link's target path or an Internet shortcut's address.
bool IsProductShortcut(const ShortcutName* names, int count, const char* fileName,
                       const char* target, const char* installFolder);

// The address of an Internet shortcut's text (`length` bytes): the value of its first line
// "URL=..." up to the line end, into `address` (`size` bytes). False when there is no such line
// or it does not fit.
bool ReadInternetShortcutAddress(const char* text, int length, char* address, size_t size);
