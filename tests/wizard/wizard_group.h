// A group of tests that share one run of the wizard: SetUpTestSuite starts it, TearDownTestSuite
// ends it. The tests of a group run in the order they are written and each leaves the wizard on
// a page and in a state it says.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "wizard/wizard_harness.h"

namespace wizard {

// The "%s" slots of `format` filled in order with `texts`, as the wizard fills the summary.
std::wstring FillSlots(const std::wstring& format, const std::vector<std::wstring>& texts);

// What the cancel confirmation box shows.
struct Confirmation {
  std::wstring caption, text;
  std::vector<int> buttons;  // the ids of its visible buttons, in creation order
  bool hasIcon;
};
Confirmation ReadConfirmation(HWND box);

class WizardGroup : public ::testing::Test {
 protected:
  static void StartWizard();
  // Starts another setup program beside the test executable instead of setup.exe.
  static void StartWizard(const char* programName);
  static void EndWizard();

  void SetUp() override;  // fails every test of a group whose wizard did not start

  // A text of the language section the wizard shows (0, the first, until a reload).
  static std::wstring Shown(const char* key);
  // The page texts that the page switch sets for page n, by suffix ("_00", "_cancel").
  static std::wstring PageText(int n, const char* suffix);

  // Moves with Next or Back, one page at a time, until page n shows.
  static ::testing::AssertionResult GoToPage(int n);
  // Clicks the button of `id` and waits for page n.
  static ::testing::AssertionResult ClickToPage(int id, int n);

  static HWND Control(int id) { return wizard_->Control(id); }
  // Child `index` of page n's panel (0 for the header band), in creation order.
  static HWND PanelChild(int n, int index);

  static std::unique_ptr<Wizard> wizard_;
  static std::string startError_;
  static SetupTexts* texts_;
  static int section_;    // the language section the wizard shows
  static UINT codePage_;  // the code page the wizard converts its texts with
};

}  // namespace wizard
