// A group of tests around installations made through the wizard's windows: the choices of pages
// 3 and 4 as a user makes them, the copy, the finish page, and the prefix put back afterwards.
#pragma once

#include <memory>
#include <string>

#include "install/installed_state.h"
#include "wizard/wizard_group.h"

namespace install {

// What the finish page shows once the installation worker has switched to it.
struct FinishState {
  std::wstring finishText, copyStatus, copyFile;
  bool launchChecked;
  int barPosition;  // the copy page's progress bar, as the worker left it
};

class InstallGroup : public wizard::WizardGroup {
 protected:
  // Before a run that installs into `folder` (and makes the shortcut folder `shortcutLeaf` in
  // Programs, when one is named): removes what an earlier, failed run left there, takes note of
  // the registry and the desktop shortcut, and removes the desktop shortcut.
  static void PrepareGroup(const std::string& folder, const std::string& shortcutLeaf = "");
  // After it: ends the wizard and the product if they still run, puts the registry and the
  // desktop shortcut back, and removes the two folders.
  static void EndGroup(const std::string& folder, const std::string& shortcutLeaf = "");

  // Page 3: types `leaf` as the leaf name and selects entry `index` of the folder list (0 the
  // drive root, 1 the default Program Files); waits until the path edit shows `expected`.
  static ::testing::AssertionResult ChooseInstallFolder(int index, const std::string& leaf,
                                                        const std::string& expected);
  // Page 4: the shortcut folder `leaf` in the Programs folder the list starts at.
  static ::testing::AssertionResult ChooseShortcutFolder(const std::string& leaf);
  // Page 4: the two shortcut check boxes.
  static ::testing::AssertionResult ChooseShortcuts(bool folder, bool desktop);
  // Next on page 5, then waits for the finish page and reads it.
  static ::testing::AssertionResult Install(FinishState* finish);
  // The finish page of an installation that could not write every file: it says so ("7_04",
  // never an empty text) and offers no launch.
  static void ExpectFilesMissing(const FinishState& finish);
  // Finish, with the launch check box as it stands; the wizard must end.
  static ::testing::AssertionResult Finish();
  // Unticks the launch box of page 7: the product would hold its files against the next run.
  static void UntickLaunch();

  static std::string Programs(const std::string& leaf) { return ProgramsFolder() + "\\" + leaf; }
  // The desktop shortcut every installation makes: the name of shortcut 1 of the shown section.
  static std::string DesktopShortcut() { return DesktopFolder() + "\\" + KeyText("sc1") + ".lnk"; }
  // A key's value of the shown section, as bytes.
  static std::string KeyText(const char* key) { return texts_->Value(section_, key); }

  static std::unique_ptr<RegistryKeeper> registry_;
  static std::unique_ptr<FileKeeper> desktopShortcut_;
};

}  // namespace install
