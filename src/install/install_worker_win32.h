// The installation worker thread, started on entering the copying page.
#pragma once

#include <windows.h>

DWORD WINAPI InstallWorker(LPVOID unused);

// True when the install folder shown could be installed into as far as who may change it goes:
// every folder of its chain that exists, from the drive root down, is trusted, and none is the
// Windows folder. Asked on Next of page 3; the copy asks again, since things change meanwhile.
bool IsInstallFolderTrusted();
