// Where DLLs may be loaded from.
#pragma once

#include <windows.h>

// Restricts DLL lookup to the system folder. A setup program is started from the user's
// Downloads folder, where anybody may have left a DLL named like a system one, and the
// uninstaller's copy runs from the temporary folder. Older systems lack
// SetDefaultDllDirectories, so it is bound at run time. Call it before anything else.
void RestrictDllSearch();

// Loads the library `name` from the system folder and nowhere else; null when it is not there.
// The programs import only libraries that Windows always takes from the system folder (its
// KnownDLLs); any other one is loaded through here, after RestrictDllSearch. An import of it
// would be looked up beside the program first, before the entry runs.
HMODULE LoadSystemLibrary(const char* name);
