// The places of one uninstaller run: where this uninstall.exe and its log lie, the user's
// desktop and special folders, and what the run learns on its way (another installation
// registered, the shortcut folders it emptied, the install folder's held chain). Found once by the
// run (uninstall_win32.cpp) and read by the carrying out of the plan (carry_out_win32.h).
#pragma once

#include <windows.h>

#include "folders/item_removal_win32.h"
#include "folders/path_text.h"
#include "folders/place_win32.h"

// The user's special folders that are never removed (uninstall_win32.cpp kKeptFolderIds).
constexpr int kKeptFolderCount = 8;
// The shortcut folders that this run removed a shortcut of the product's from, and so may remove.
constexpr int kMostEmptiedFolders = 8;

struct Places {
  char program[kPathBufferSize];       // this uninstall.exe, in its long form
  char folder[kPathBufferSize];        // the install folder
  char normalFolder[kPathBufferSize];  // the same as Windows opens it: "C:" for a drive's root
  char log[kPathBufferSize];
  char desktop[kPathBufferSize];
  char temp[kPathBufferSize];  // with its trailing backslash
  char kept[kKeptFolderCount][kPathBufferSize];
  const char* keptList[kKeptFolderCount];
  FileIdentity keptIdentity[kKeptFolderCount];  // all zero for one that could not be opened
  bool otherRegistered;                         // the uninstall entry names another uninstall.exe
  char emptied[kMostEmptiedFolders][kPathBufferSize];
  int emptiedCount;
  // The install folder's chain from the drive's root, the folder itself last, held from before
  // anything is removed until this process ends, and then by the removal copy.
  HeldFolders chain;
};

// The run's places: process-wide, for they are larger than a stack frame may be without
// probing, and the run is made once. Every path is empty until the run has found them.
extern Places places;
