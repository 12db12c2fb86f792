// Where DLLs may be loaded from.
#pragma once

// Restricts DLL lookup to the system folder. A setup program is started from the user's
// Downloads folder, where anybody may have left a DLL named like a system one, and the
// uninstaller's copy runs from the temporary folder. Older systems lack
// SetDefaultDllDirectories, so it is bound at run time. Call it before anything else.
void RestrictDllSearch();
