// The check-and-hold of a place, shared by setup.exe and uninstall.exe. Before a program makes
// or removes an item in a folder that someone else may be able to change (a shortcut folder,
// the desktop, a folder below the install folder), it opens that folder and every folder down
// to the item as themselves, never what a link in their place points at, checks through the
// open handle that each is a plain folder (a directory, not a symbolic link, junction or mount
// point, which would carry the write or the delete somewhere else), and holds each open without
// sharing write or delete access, so that nobody can rename, delete or replace it until the
// item is made or removed. A folder that cannot be opened or checked fails the hold: nothing is
// to be done there.
//
// The install folder itself, which an administrator may have made a link on purpose, is held
// with its trusted chain (trust_win32.h); the folders below it are held here.
#pragma once

#include <windows.h>

#include "folders/path_text.h"

// The handles of held folders, outermost first. Start empty ({}); release with ReleaseFolders.
struct HeldFolders {
  HANDLE handles[kPathBufferSize / 2];  // a path of 259 bytes has fewer folders than that
  int count;
};

// Opens `path` as itself, checks that it is a plain folder and adds it to `held`. False, with
// `held` unchanged, when it cannot be opened (missing, in use with write or delete access,
// forbidden), is no plain folder, or `held` is full.
bool HoldPlainFolder(const char* path, HeldFolders* held);

// Holds `place` and every folder from it down to `folder`, both included. `folder` is `place`
// or begins with `place` and a backslash, byte for byte. False as soon as one folder fails;
// those held before it stay in `held`.
bool HoldPlainChain(const char* place, const char* folder, HeldFolders* held);

// The same without `place` itself: the folders below it down to `folder`, none when `folder` is
// `place`. For the install folder, which is not required to be plain.
bool HoldPlainChainBelow(const char* place, const char* folder, HeldFolders* held);

// Closes every held handle, innermost first; `held` is empty after it.
void ReleaseFolders(HeldFolders* held);

// Closes the held handles after the first `count`, innermost first: the folders of a walk that
// goes on in a folder further out stay held.
void ReleaseFoldersAfter(HeldFolders* held, int count);

// What the checks ask of an open file or folder: its attributes and, when `links` is not null,
// its number of names. Only these are read (GetFileInformationByHandleEx, bound at run time),
// where a system without that call answers through GetFileInformationByHandle, which under Wine
// also asks the volume for its serial number on every call. False when the system cannot tell.
bool ReadHandleAttributes(HANDLE handle, DWORD* attributes, DWORD* links);

// The kernel32 function `name`, bound at run time because a system this program still runs on
// may lack it; null there.
FARPROC KernelProcedure(const char* name);
template <typename Function>
Function KernelFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(KernelProcedure(name)));
}

// A file or folder as itself, whatever path leads to it.
struct FileIdentity {
  DWORD volume, high, low;
};

// The identity of an open item, from what GetFileInformationByHandle told of it.
inline FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The identity of what `path` leads to, links followed; all zero (see IsKnownIdentity) when it
// cannot be opened.
FileIdentity IdentityOfPath(const char* path);

// False for the all-zero identity of what could not be opened.
inline bool IsKnownIdentity(const FileIdentity& identity) {
  return (identity.volume | identity.high | identity.low) != 0;
}

inline bool IsSameIdentity(const FileIdentity& a, const FileIdentity& b) {
  return a.volume == b.volume && a.high == b.high && a.low == b.low;
}
