// The installation worker thread, started on entering the copying page.
#pragma once

#include <windows.h>

DWORD WINAPI InstallWorker(LPVOID unused);
