// A setup program that lacks its own data says so once and ends: a user who sees nothing would
// only start it again.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
