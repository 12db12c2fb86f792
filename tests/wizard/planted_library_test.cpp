// setup.exe started from a folder that also holds someone else's COMCTL32.DLL, as a Downloads
// folder may: the wizard takes the system's library, never that one, and still draws the icons
// of its folder list with it.
#include <cstdlib>
#include <cstring>

#include "require_all.h"
#include "wizard/screen_compare.h"
#include "wizard/wizard_group.h"

namespace wizard {
namespace {

// The planted library's folder (build/win32/planted), where a copy of setup.exe is put beside
// it. Its DllMain leaves the marker file there when it is loaded.
std::string PlantedFolder() {
  return HostPath(QX_PLANTED_DIR);
}
std::string Marker() {
  return PlantedFolder() + "\\planted-library-ran";
}

class PlantedLibrary : public WizardGroup {
 protected:
  static void SetUpTestSuite() {
    DeleteFileA(Marker().c_str());
    const std::string copy = PlantedFolder() + "\\setup.exe";
    if (!CopyFileA((ExecutableFolder() + "\\setup.exe").c_str(), copy.c_str(), FALSE)) {
      startError_ = "cannot copy setup.exe to " + copy;
      return;
    }
    // Wine takes comctl32 from its system folder unless told otherwise, and reads that when a
    // process starts: tests/CMakeLists.txt runs this group with the order Windows follows for a
    // library that is not a KnownDLL, the program's folder first.
    const char* overrides = std::getenv("WINEDLLOVERRIDES");
    windowsOrder_ = overrides && std::strstr(overrides, "comctl32=n,b");
    if (windowsOrder_) StartWizard("..\\planted\\setup.exe");  // build/win32/bin/../planted
  }
  static void TearDownTestSuite() { EndWizard(); }
  // The marker is looked for even when the wizard did not start: a planted library that broke
  // the start-up was loaded all the same.
  void SetUp() override {}

  // Pixels of colour (not grey) in the left part of entry `index`, where its icon goes. Text is
  // drawn in greys on a white ground; the shell's folder and drive icons are coloured.
  static int ColouredPixels(HWND list, int index) {
    RECT item = {};
    Ask(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    int coloured = 0;
    for (int y = item.top; y < item.bottom; ++y) {
      for (int x = item.left; x < item.left + 48 && x < item.right; ++x) {
        const COLORREF color = ScreenColor(list, {x, y});
        if (GetRValue(color) != GetGValue(color) || GetGValue(color) != GetBValue(color))
          ++coloured;
      }
    }
    return coloured;
  }

  static bool windowsOrder_;
};

bool PlantedLibrary::windowsOrder_;

TEST_F(PlantedLibrary, IsNeverLoadedAndTheFolderIconsStillShow) {
  if (!windowsOrder_) QX_SKIP_OR_FAIL("WINEDLLOVERRIDES does not hold comctl32=n,b");
  EXPECT_EQ(GetFileAttributesA(Marker().c_str()), INVALID_FILE_ATTRIBUTES)
      << "the COMCTL32.DLL beside setup.exe was loaded";
  ASSERT_TRUE(wizard_) << startError_;
  ASSERT_TRUE(GoToPage(3));
  HWND list = Control(kInstallListId);
  const int top = int(Ask(list, LB_GETTOPINDEX));
  const int selected = int(Ask(list, LB_GETCURSEL));
  const int entry = top == selected ? top + 1 : top;  // the selection has a coloured ground
  ASSERT_LT(entry, int(Ask(list, LB_GETCOUNT)));
  EXPECT_TRUE(WaitUntil([&] { return ColouredPixels(list, entry) > 0; }, 3000))
      << "entry " << entry << " of the folder list shows no icon";
}

}  // namespace
}  // namespace wizard
