// A setup program that lacks its own data says so once and ends: a user who sees nothing would
// only start it again. One whose window cannot be made ends too, rather than wait for ever.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/wizard_win32.h"
#include "package/package.h"
#include "wizard/wizard_harness.h"

namespace {

using wizard::FindProcessWindow;

TEST(DamagedSetup, SaysSoInOneMessageAndEndsWithAFailure) {
  const std::string program = wizard::ExecutableFolder() + "\\setup_damaged.exe";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  HWND box = nullptr;
  EXPECT_TRUE(
      wizard::WaitUntil([&] { return (box = FindProcessWindow(process.dwProcessId, "#32770")); }));
  if (box) {
    EXPECT_EQ(wizard::Narrow(wizard::Text(box)), "Quintaxel setup");
    EXPECT_NE(wizard::Narrow(wizard::Text(GetDlgItem(box, 0xFFFF))).find("damaged"),
              std::string::npos);
    EXPECT_EQ(FindProcessWindow(process.dwProcessId, "Vorlen installer main window"), nullptr)
        << "no wizard without its data";
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  }
  DWORD exitCode = 0;
  if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0)
    TerminateProcess(process.hProcess, 9);
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 2u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// Refuses the creation of the wizard's main window, as a system short of window memory would.
LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wParam, LPARAM lParam) {
  char name[64] = "";
  if (code == HCBT_CREATEWND) GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
  if (lstrcmpA(name, kMainWindowClass) == 0) return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The start-up runs in this process, with the shipped setup package, under a hook of this thread
// that refuses the main window.
TEST(DamagedSetup, MainWindowThatCannotBeMadeEndsWithStatusThree) {
  const std::string setup = wizard::ReadFileBytes(wizard::HostPath(QX_PACKAGE_DIR "/setup.pkg"));
  ASSERT_FALSE(setup.empty());
  SetPackageBytes(kSetupPackage, reinterpret_cast<const uint8_t*>(setup.data()),
                  uint32_t(setup.size()));
  HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseMainWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  // A start-up that went on into its message loop would wait there for ever: this quit message
  // ends that loop at once, with status 0.
  PostQuitMessage(0);
  EXPECT_EQ(RunSetup(GetModuleHandleA(nullptr), ""), 3);
  UnhookWindowsHookEx(hook);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  SetPackageBytes(kSetupPackage, nullptr, 0);
}

}  // namespace
