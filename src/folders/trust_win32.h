// Which folders the programs trust, shared by setup.exe and uninstall.exe, and the hold of a
// trusted chain of folders from a drive's root down.
//
// Both programs run as administrator. What they write or remove in a folder is only as safe as
// the folder: whoever may rename it, delete what it holds or change who may do so can put a
// folder or link of their own in its place between the check and the use. So a folder is
// trusted by who may change it, never by what it looks like: its owner is SYSTEM, the
// Administrators, TrustedInstaller or the account the program runs as, and no allow entry of its
// DACL (inherit-only entries aside, generic rights mapped) gives any other account a right that
// changes it or what it holds. A link in a trusted folder could only have been made by those
// accounts, so it is followed, into a folder that must be trusted in turn, with every folder
// above it.
#pragma once

#include <windows.h>

#include "folders/place_win32.h"

// What a folder is to the installation; it sets which rights no other account may have.
enum FolderRole {
  kFolderOnTheWay,   // DELETE, WRITE_DAC, WRITE_OWNER, FILE_DELETE_CHILD
  kDriveRoot,        // cannot be renamed or deleted: only FILE_DELETE_CHILD, WRITE_DAC, WRITE_OWNER
  kFolderInstalled,  // what is installed lies in it: also FILE_ADD_FILE and FILE_ADD_SUBDIRECTORY
};

// The account the program runs as (its SID), read once; null when the system cannot say.
PSID ProgramAccount();

// The rights that, given to any other account, make a folder of `role` untrusted. A drive root
// that is also the install folder takes the root's rights and the installed folder's additions.
DWORD UntrustedRights(FolderRole role, bool isDriveRoot);

// True when a folder of `owner` and `dacl` is trusted for `forbidden` (UntrustedRights). A
// missing owner is nobody's; a missing (null) DACL lets everyone do everything.
bool IsTrustedDescriptor(PSID owner, PACL dacl, DWORD forbidden);

// The same for the folder open as `handle` (opened with READ_CONTROL).
bool IsTrustedHandle(HANDLE handle, DWORD forbidden);

// Holds every existing folder of `folder` (a full path with a drive letter), from the drive's
// root down, each opened as itself and trusted for its role (`lastRole` for `folder` itself),
// without sharing delete: none of them can be renamed, deleted or replaced until released. A
// link among them is followed when it is trusted itself, into a folder whose whole chain is
// trusted and is held too. The walk stops at the first folder that is not there (missing, a
// file, or not to be asked about: making it will fail); its index (a component index of
// `folder`, LastComponentIndex + 1 when all exist) goes to `firstMissing`; a path without a root
// or too long to walk has nothing there (0). False when a folder that exists cannot be opened or
// is not trusted: the folders held so far stay in `held` for the caller to release.
// `linkDepth` counts the links followed to get here; callers leave it out.
bool HoldTrustedChain(const char* folder, FolderRole lastRole, HeldFolders* held, int* firstMissing,
                      int linkDepth = 0);

// Opens the existing folder `path`, no drive root, as itself, checks that it is trusted for
// `role` and holds it as HoldTrustedChain does, following a trusted link. For a folder the
// caller has just made in a chain it holds.
bool HoldTrustedFolder(const char* path, FolderRole role, HeldFolders* held);

// True when one of the held folders is the folder `other` (by its volume and file index, however
// either is spelled); false too when `other` cannot be opened.
bool HoldsFolder(const HeldFolders* held, const char* other);
