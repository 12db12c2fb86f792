// What an installation can change in the Wine prefix, taken as a set of lines so that two states
// compare as sets: every folder and file of drive C (files with size and last-write time), and
// the two registry trees the setup program writes under, every key and value with its data.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace uninstall_test {

using SystemState = std::set<std::wstring>;

// The whole state: drive C and the registry trees
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall (the 32-bit view, which
// the setup program writes) and HKEY_CURRENT_USER\Software.
SystemState TakeSystemState();

// The lines of the files and folders at `paths` as they are now, as TakeSystemState lists them:
// what a test expects to find left.
SystemState ItemsAt(const std::vector<std::wstring>& paths);

// The lines of `actual` missing from `expected` ("+ ") and of `expected` missing from
// `actual` ("- "), UTF-8, one a line; empty when the two are the same.
std::string Differences(const SystemState& expected, const SystemState& actual);

// `a` with the lines of `b` added.
SystemState Joined(SystemState a, const SystemState& b);

}  // namespace uninstall_test
