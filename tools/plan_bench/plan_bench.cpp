// The uninstaller's plan over a long log, timed natively: the log of many installations into one
// folder (the product's own names, so every line is taken and most repeat), followed by tens of
// thousands of distinct lines below the settings key, about 5 MB in all. Prints the log's size,
// the plan's steps and the time BuildUninstallPlan took: the processor time, which a busy
// machine does not stretch, and the wall time.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "install/install_text.h"
#include "uninstall/uninstall_plan.h"

namespace {

const char kFolder[] = "C:\\Program Files\\Quintaxel";
const char kShortcuts[] = "C:\\Users\\me\\Start Menu\\Programs\\Quintaxel";
const char kDesktop[] = "C:\\Users\\me\\Desktop";
constexpr size_t kLogBytes = 5 * 1000 * 1000;

void AppendInstallation(std::string* log) {
  const ProductNames& names = kProductNames;
  *log += std::string(kFolder) + "\\\r\n";
  for (int i = 0; i < names.fileCount; ++i)
    *log += std::string(kFolder) + "\\" + names.files[i] + "\r\n";
  *log += std::string("[HKEY_LOCAL_MACHINE\\") + kUninstallKeyPath + "\\UninstallString]\r\n";
  *log += std::string(kShortcuts) + "\\\r\n";
  for (int i = 0; i < names.shortcutCount; ++i)
    *log += std::string(kShortcuts) + "\\" + names.shortcuts[i].file + "\r\n";
  *log += std::string(kDesktop) + "\\" + names.desktopShortcuts[0].file + "\r\n";
}

}  // namespace

int main() {
  std::string log;
  while (log.size() < kLogBytes / 3)
    AppendInstallation(&log);
  for (int i = 0; log.size() < kLogBytes; ++i)
    log += std::string("[HKEY_CURRENT_USER\\") + kSettingsKeyPath + "\\Recent\\" +
           std::to_string(i / 16) + "\\item" + std::to_string(i) + "]\r\n";

  const char* const kept[] = {kDesktop};
  const UninstallPlaces places = {kFolder,
                                  "C:\\Program Files\\Quintaxel\\uninstall.exe",
                                  "C:\\Program Files\\Quintaxel\\install.log",
                                  kDesktop,
                                  kept,
                                  1,
                                  &kProductNames};
  UninstallPlan plan;
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t processorStart = std::clock();
  const bool built = BuildUninstallPlan(log.data(), int(log.size()), places, &plan);
  const double processor = double(std::clock() - processorStart) / CLOCKS_PER_SEC;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!built) {
    std::fprintf(stderr, "plan_bench: out of memory\n");
    return 1;
  }
  std::printf(
      "log: %.1f MB, %d lines taken, %d steps; plan built in %.3f s of processor time "
      "(%.3f s wall)\n",
      log.size() / 1e6, plan.taken, plan.count, processor, wall);
  FreeUninstallPlan(&plan);
  return 0;
}
