// What setup.exe makes for the installation is protected as Program Files is: only the system
// and administrators may change it, every user may read and run it. Setup runs as administrator
// and may install below a drive root, where every signed-in user may otherwise modify new items.
#pragma once

#include <windows.h>

// Full control for SYSTEM and Administrators, read and execute for Users, nothing inherited from
// above, and the same for everything made inside. Built once; null when the system cannot build
// it, and then nothing may be made.
SECURITY_ATTRIBUTES* ProtectedAttributes();

// Opens the file `path` for `access`, creating it with `security` when it is missing, sharing
// only `share` (never delete) and without following a link: an existing item that is a link, a
// folder or a file with a second name (whose bytes another name shares) is left as it is and the
// result is INVALID_HANDLE_VALUE. An existing file is not emptied; with `security`, it gets that
// protection too (`access` must then include WRITE_DAC). `created`, when not null, tells whether
// the file was made by this open: then it is empty and protected already.
HANDLE OpenPlainFile(const char* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                     bool* created);
