// The installation worker.
#include "install/install_worker_win32.h"

#include "app/wizard_win32.h"

// The copying, the install log, the registration and the shortcuts are not built yet: for now
// the worker only moves the wizard on to the last page.
DWORD WINAPI InstallWorker(LPVOID) {
  ShowPage(7);
  return 0;
}
