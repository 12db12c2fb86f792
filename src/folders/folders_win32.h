// Folder queries and creation on the Windows file system.
#pragma once

// True when `path` names an existing folder.
bool IsFolder(const char* path);

// Creates every missing folder from the root down to `path`. Failures are passed over: a level
// that cannot be made leaves the levels below it missing, and nothing is reported.
void CreateFolderChain(const char* path);

// The file-system path of the shell's special folder `csidl` (CSIDL_PROGRAMS, CSIDL_DESKTOP, ...)
// into `path` (260 bytes). False, with `path` empty, when the shell does not know it.
bool GetSpecialFolder(int csidl, char* path);
