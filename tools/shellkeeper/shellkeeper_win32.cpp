// Keeps Wine's desktop from tearing down its ShellWindows class factory for as long as a test
// session runs. scripts/wine-session.sh starts it with the session; end_wine_session ends it.
//
// Every shell folder window (setup opens one on the shortcut folder at the end of an
// installation) makes the desktop process (explorer.exe /desktop) hand out its ShellWindows class
// object and, once the window has gone, delete the stubs again. Wine's RPC runtime can lose the
// wake-up of that deletion under load: the thread that owns the desktop window then waits in
// RpcServerUnregisterIf for ever, and every window program started afterwards blocks at its first
// message to the desktop. A reference held here from the start keeps the stubs alive, so the
// deletion never runs. The programs under test are not changed by it.
//
// Prints "holding" once it holds the reference; exits 1 when the desktop never registered the
// class object within the time it waits.
#include <windows.h>

#include <exdisp.h>
#include <objbase.h>

#include <cstdio>

namespace {

constexpr DWORD kRegistrationWaitMs = 120000;
constexpr DWORD kRetryMs = 250;

// The desktop's class object, once the desktop has registered it (it does so after it starts).
IClassFactory* WaitForShellWindowsFactory() {
  const DWORD start = GetTickCount();
  for (;;) {
    IClassFactory* factory = nullptr;
    const HRESULT result = CoGetClassObject(CLSID_ShellWindows, CLSCTX_LOCAL_SERVER, nullptr,
                                            IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (SUCCEEDED(result) && factory) return factory;
    if (GetTickCount() - start > kRegistrationWaitMs) {
      std::printf("no ShellWindows class object from the desktop (0x%08lx)\n",
                  static_cast<unsigned long>(result));
      return nullptr;
    }
    Sleep(kRetryMs);
  }
}

}  // namespace

int main() {
  // A connection to the desktop window starts the desktop process when none runs yet.
  GetDesktopWindow();
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
  IClassFactory* factory = WaitForShellWindowsFactory();
  if (!factory) return 1;
  std::printf("holding\n");
  std::fflush(stdout);
  // Held until the session ends the process; the proxy needs no messages on this thread.
  Sleep(INFINITE);
  factory->Release();
  CoUninitialize();
  return 0;
}
