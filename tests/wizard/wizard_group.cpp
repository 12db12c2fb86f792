#include "wizard/wizard_group.h"

namespace wizard {

std::unique_ptr<Wizard> WizardGroup::wizard_;
std::string WizardGroup::startError_;
SetupTexts* WizardGroup::texts_ = new SetupTexts;  // read once, kept for the whole run
int WizardGroup::section_ = 0;
UINT WizardGroup::codePage_ = CP_ACP;

void WizardGroup::StartWizard() {
  StartWizard("setup.exe");
}

void WizardGroup::StartWizard(const char* programName) {
  section_ = 0;
  codePage_ = CP_ACP;
  startError_.clear();
  wizard_.reset(new Wizard);
  if (!wizard_->Start(programName, &startError_)) wizard_.reset();
}

void WizardGroup::EndWizard() {
  wizard_.reset();
}

void WizardGroup::SetUp() {
  // A wizard that did not start is a failure of the program, never a reason to skip.
  ASSERT_TRUE(wizard_) << "the wizard did not start: " << startError_;
  ASSERT_TRUE(wizard_->Running()) << "the wizard ended early";
}

std::wstring WizardGroup::Shown(const char* key) {
  return texts_->Shown(section_, key, codePage_);
}

std::wstring WizardGroup::PageText(int n, const char* suffix) {
  return Shown((std::to_string(n) + suffix).c_str());
}

::testing::AssertionResult WizardGroup::ClickToPage(int id, int n) {
  wizard_->Click(id);
  if (wizard_->WaitForPage(n, PageText(n, "_cancel"))) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "page " << n << " did not show after clicking " << id
                                       << " (shown: " << wizard_->VisiblePage() << ")";
}

::testing::AssertionResult WizardGroup::GoToPage(int n) {
  for (int page = wizard_->VisiblePage(); page != n; page = wizard_->VisiblePage()) {
    if (page == 0) return ::testing::AssertionFailure() << "no single page shows";
    const int next = page < n ? page + 1 : page - 1;
    const ::testing::AssertionResult moved = ClickToPage(page < n ? kNextId : kBackId, next);
    if (!moved) return moved;
  }
  return ::testing::AssertionSuccess();
}

HWND WizardGroup::PanelChild(int n, int index) {
  const std::vector<HWND> children = wizard_->PanelChildren(n);
  return index < int(children.size()) ? children[size_t(index)] : nullptr;
}

std::wstring FillSlots(const std::wstring& format, const std::vector<std::wstring>& texts) {
  std::wstring filled;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format.compare(i, 2, L"%s") == 0) {
      filled += next < texts.size() ? texts[next++] : L"";
      ++i;
    } else {
      filled += format[i];
    }
  }
  return filled;
}

Confirmation ReadConfirmation(HWND box) {
  Confirmation read = {Text(box), L"", {}, false};
  for (HWND child : Children(box)) {
    if (!IsWindowVisible(child)) continue;
    const std::string kind = ClassName(child);
    if (lstrcmpiA(kind.c_str(), "Button") == 0) read.buttons.push_back(GetDlgCtrlID(child));
    if (lstrcmpiA(kind.c_str(), "Static") != 0) continue;
    if ((Style(child) & SS_TYPEMASK) == SS_ICON)
      read.hasIcon = true;
    else if (!Text(child).empty())
      read.text = Text(child);
  }
  return read;
}

}  // namespace wizard
