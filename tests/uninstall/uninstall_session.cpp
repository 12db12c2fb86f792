#include "uninstall/uninstall_session.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "lang/language.h"

namespace uninstall_test {

namespace {

using wizard::Narrow;
using wizard::WaitUntil;
using wizard::Widen;

constexpr wchar_t kSessionManagerKey[] = L"System\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingValue[] = L"PendingFileRenameOperations";
// The copy needs a moment after the uninstaller has ended: it waits for that end, and the
// system may keep the file of an ended process for a moment longer.
constexpr DWORD kSelfRemovalMs = 15000;

bool EndsWithNoCase(const std::wstring& text, const std::wstring& ending) {
  return text.size() >= ending.size() &&
         lstrcmpiW(text.c_str() + text.size() - ending.size(), ending.c_str()) == 0;
}

// The pending file operations: pairs of a source and a target (empty: delete the source),
// as the system keeps them for the next restart.
std::vector<std::wstring> PendingOperations() {
  std::vector<std::wstring> strings;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return strings;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, kPendingValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    RegQueryValueExW(key, kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                     &size);
    // Read in pairs, since an empty target is an empty string, which a multi-string would
    // take for its end.
    const size_t count = size / sizeof(wchar_t);
    for (size_t at = 0; at < count && data[at];) {
      const std::wstring source = data.data() + at;
      at += source.size() + 1;
      const std::wstring target = at < count ? data.data() + at : L"";
      at += target.size() + 1;
      strings.push_back(source);
      strings.push_back(target);
    }
  }
  RegCloseKey(key);
  return strings;
}

void WritePendingOperations(const std::vector<std::wstring>& strings) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS)
    return;
  if (strings.empty()) {
    RegDeleteValueW(key, kPendingValue);
  } else {
    std::vector<wchar_t> data;
    for (const std::wstring& text : strings)
      data.insert(data.end(), text.c_str(), text.c_str() + text.size() + 1);
    data.push_back(L'\0');
    RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<BYTE*>(data.data()),
                   DWORD(data.size() * sizeof(wchar_t)));
  }
  RegCloseKey(key);
}

// The source of the pending deletion whose file is called `name`, "" when there is none.
std::wstring PendingDeletionOf(const std::wstring& name) {
  const std::vector<std::wstring> strings = PendingOperations();
  for (size_t i = 0; i + 1 < strings.size(); i += 2)
    if (strings[i + 1].empty() && EndsWithNoCase(strings[i], L"\\" + name)) return strings[i];
  return L"";
}

void DropPendingOperation(const std::wstring& source) {
  std::vector<std::wstring> strings = PendingOperations(), kept;
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i] == source) continue;
    kept.push_back(strings[i]);
    kept.push_back(strings[i + 1]);
  }
  WritePendingOperations(kept);
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, temp);
  return temp;
}

// A pending operation's source as a path: without the "\??\" that the system puts before it.
std::wstring PendingPath(const std::wstring& source) {
  return source.compare(0, 4, L"\\??\\") == 0 ? source.substr(4) : source;
}

// The copies of uninstallers whose test ended before it could remove them, and their private
// folders ("qx" and 16 hexadecimal digits in the temporary folder): deleted, with their
// scheduled deletions.
void RemoveScheduledCopies() {
  const std::vector<std::wstring> strings = PendingOperations();
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    const std::wstring name = strings[i].substr(strings[i].find_last_of(L'\\') + 1);
    if (!strings[i + 1].empty() || _wcsnicmp(name.c_str(), L"qx", 2) != 0) continue;
    const std::wstring path = PendingPath(strings[i]);
    if (_wcsnicmp(name.c_str(), L"qxuninstall", 11) == 0)
      DeleteFileW(path.c_str());
    else if (name.size() == 18)
      RemoveDirectoryW(path.c_str());
    else
      continue;
    DropPendingOperation(strings[i]);
  }
}

std::wstring SpecialFolder(int id) {
  return Widen(wizard::SpecialFolder(id));
}

std::string ReadProductLanguageFile() {
  return wizard::ReadFileBytes(wizard::HostPath(QX_SOURCE_DIR "/product/quintaxel.lng"));
}

}  // namespace

std::wstring UninstallString() {
  wchar_t command[1024] = L"";
  DWORD size = sizeof command - sizeof(wchar_t);
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return L"";
  if (RegQueryValueExW(key, L"UninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(command),
                       &size) != ERROR_SUCCESS)
    command[0] = L'\0';
  RegCloseKey(key);
  return command;
}

std::wstring ProductText(int section, const char* key, UINT codePage) {
  const std::string text = ReadProductLanguageFile();
  const int count = CollectLanguageNames(text.data(), int(text.size()));
  if (section >= count) return L"";
  LoadLanguageSection(text.data(), int(text.size()), LanguageName(section));
  return Widen(LookupText(key), codePage);
}

bool IsThere(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void RemoveInstallation(const Installation& installation) {
  for (const std::wstring& path :
       {installation.folder, installation.shortcutFolder, installation.desktopLink})
    if (!path.empty()) RemoveTree(path);
  SHDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
  SHDeleteKeyW(HKEY_CURRENT_USER, kMakerKey);
}

// ---- UninstallerRun.

UninstallerRun::~UninstallerRun() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

::testing::AssertionResult UninstallerRun::Start(const std::wstring& commandLine) {
  if (commandLine.empty()) return ::testing::AssertionFailure() << "no command to start";
  std::wstring line = commandLine;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process_))
    return ::testing::AssertionFailure()
           << "cannot start " << Narrow(commandLine) << ", error " << GetLastError();
  return ::testing::AssertionSuccess();
}

HWND UninstallerRun::WaitForBox() const {
  HWND box = nullptr;
  WaitUntil([&] {
    box = wizard::FindProcessWindow(process_.dwProcessId, "#32770");
    return box != nullptr || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
  });
  if (box) wizard::Settle(box);
  return box;
}

::testing::AssertionResult UninstallerRun::Answer(HWND box, int id) const {
  if (wizard::AnswerBox(box, id)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the box has no button " << id << " or stayed after a click on it";
}

wizard::Confirmation UninstallerRun::AnswerBox(int id) const {
  HWND box = WaitForBox();
  if (!box) return {};
  wizard::Confirmation shown = wizard::ReadConfirmation(box);
  if (!Answer(box, id)) shown.buttons.clear();
  return shown;
}

int UninstallerRun::WaitForExit() {
  DWORD code = 0;
  if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process_.hProcess, &code))
    return -1;
  return int(code);
}

std::wstring UninstallerRun::CopyName() const {
  return L"qxuninstall" + std::to_wstring(process_.dwProcessId) + L".exe";
}

::testing::AssertionResult UninstallerRun::WaitForSelfRemoval(
    const Installation& installation) const {
  if (!WaitUntil(
          [&] { return !IsThere(installation.uninstaller()) && !IsThere(installation.log()); },
          kSelfRemovalMs))
    return ::testing::AssertionFailure() << "uninstall.exe or install.log is still there";
  // The copy schedules its own deletion as the last thing it does.
  std::wstring scheduled;
  if (!WaitUntil([&] { return !(scheduled = PendingDeletionOf(CopyName())).empty(); },
                 kSelfRemovalMs))
    return ::testing::AssertionFailure()
           << Narrow(CopyName()) << " is not scheduled for deletion at the next restart";
  // The copy lies in a private folder of its own, directly in the temporary folder, whose
  // deletion follows the copy's.
  const std::wstring copy = PendingPath(scheduled);
  const std::wstring folder = copy.substr(0, copy.find_last_of(L'\\'));
  const std::wstring folderName = folder.substr(folder.find_last_of(L'\\') + 1);
  const std::wstring temp = TempFolder();
  if (lstrcmpiW(folder.substr(0, folder.size() - folderName.size()).c_str(), temp.c_str()) != 0 ||
      folderName.size() != 18 || _wcsnicmp(folderName.c_str(), L"qx", 2) != 0)
    return ::testing::AssertionFailure()
           << "the copy " << Narrow(copy) << " is not in a folder of its own in " << Narrow(temp);
  // The folder's deletion is scheduled by a second call, which may not have come yet.
  std::vector<std::wstring> pending;
  std::vector<std::wstring>::const_iterator at;
  const auto folderFollows = [&] {
    pending = PendingOperations();
    at = std::find(pending.begin(), pending.end(), scheduled);
    return at + 2 < pending.end() && PendingPath(at[2]) == folder && at[3].empty();
  };
  if (!WaitUntil(folderFollows, kSelfRemovalMs))
    return ::testing::AssertionFailure()
           << "the deletion of " << Narrow(folder) << " is not scheduled after the copy's";
  // What the restart does; the copy's process may still be ending.
  const bool deleted =
      WaitUntil([&] { return DeleteFileW(copy.c_str()) || !IsThere(copy); }, kSelfRemovalMs);
  DropPendingOperation(scheduled);
  DropPendingOperation(at[2]);
  if (!deleted || !RemoveDirectoryW(folder.c_str()))
    return ::testing::AssertionFailure() << "cannot delete " << Narrow(copy) << " and its folder";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult UninstallerRun::LeftNoCopy() const {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((TempFolder() + L"qx*").c_str(), &found);
  bool copyThere = false;
  for (BOOL more = search != INVALID_HANDLE_VALUE; more && !copyThere;
       more = FindNextFileW(search, &found))
    copyThere = IsThere(TempFolder() + found.cFileName + L"\\" + CopyName());
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  if (copyThere)
    return ::testing::AssertionFailure() << Narrow(CopyName()) << " is in the temporary folder";
  if (!PendingDeletionOf(CopyName()).empty())
    return ::testing::AssertionFailure() << Narrow(CopyName()) << " is scheduled for deletion";
  return ::testing::AssertionSuccess();
}

// ---- UninstallGroup.

void UninstallGroup::SetUpTestSuite() {
  // An installation left by an earlier run (of another suite, say) would be overwritten by the
  // tests' own and then taken for part of the state before it: it goes first.
  const std::wstring command = UninstallString();
  if (command.empty()) return;
  std::wstring program = command;
  if (program.front() == L'"') program = program.substr(1, program.find(L'"', 1) - 1);
  Installation earlier;
  earlier.folder = program.substr(0, program.find_last_of(L'\\'));
  earlier.shortcutFolder = SpecialFolder(CSIDL_PROGRAMS) + L"\\Quintaxel";
  earlier.desktopLink = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Quintaxel.lnk";
  RemoveInstallation(earlier);
}

void UninstallGroup::TearDown() {
  EndWizard();
  RemoveInstallation(installation_);
  RemoveScheduledCopies();
}

void UninstallGroup::ExpectBox(const wizard::Confirmation& box, const std::wstring& text,
                               const std::vector<int>& buttons, int section, UINT codePage) {
  ASSERT_FALSE(box.buttons.empty()) << "no box showed, or it did not close";
  EXPECT_EQ(box.caption, ProductText(section, "un_title", codePage));
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.buttons, buttons);
  EXPECT_TRUE(box.hasIcon);
}

namespace {

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return path;
  std::wstring result(full, length);
  if (result.size() > 3 && result.back() == L'\\') result.pop_back();
  return result;
}

// On page 3: clicks the drive's root, then its folder `picked` with `leaf` typed first.
::testing::AssertionResult ChooseInstallFolder(wizard::Wizard* wizard, HWND list, HWND edit,
                                               const wchar_t* picked, const wchar_t* leaf) {
  const std::wstring root = wizard::Text(edit).substr(0, 3);
  int index = -1;
  wizard->ClickListEntry(list, 0, true);  // opens the root: its folders are listed
  WaitUntil([&] {
    const std::vector<wizard::Entry> entries = wizard::ListEntries(list);
    for (size_t i = 1; i < entries.size(); ++i)
      if (entries[i].text == picked) index = int(i);
    return index > 0;
  });
  if (index < 0) {
    std::string listed;
    for (const wizard::Entry& entry : wizard::ListEntries(list))
      listed += " [" + Narrow(entry.text) + "]";
    return ::testing::AssertionFailure() << Narrow(picked) << " is not listed:" << listed;
  }
  wizard->SetEditText(edit, leaf);
  wizard->ClickListEntry(list, index);
  const std::wstring composed = root + picked + L"\\" + leaf;
  if (!WaitUntil([&] { return wizard::Text(edit) == composed; }))
    return ::testing::AssertionFailure() << "the edit shows " << Narrow(wizard::Text(edit));
  return ::testing::AssertionSuccess();
}

// On page 4: `leaf` typed as the leaf name of the shortcut folder, in the folder the list shows.
::testing::AssertionResult ChooseShortcutFolder(wizard::Wizard* wizard, HWND list, HWND edit,
                                                const wchar_t* leaf) {
  const std::wstring shown = wizard::Text(edit);
  const std::wstring composed = shown.substr(0, shown.rfind(L'\\') + 1) + leaf;
  wizard->SetEditText(edit, leaf);
  wizard->ClickListEntry(list, int(SendMessageW(list, LB_GETCURSEL, 0, 0)));
  if (!WaitUntil([&] { return wizard::Text(edit) == composed; }))
    return ::testing::AssertionFailure() << "the edit shows " << Narrow(wizard::Text(edit));
  return ::testing::AssertionSuccess();
}

}  // namespace

bool StartHostCommand(const char* program, const std::vector<std::string>& arguments) {
  std::string line = program;
  for (const std::string& argument : arguments)
    line += " \"" + argument + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  // Wine gives no usable handles of a Unix process.
  return true;
}

std::string UnixPath(const std::wstring& path) {
  // Wine's own export: the Unix name of a Windows path, in memory of the process heap.
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(path.c_str()) : nullptr;
  const std::string result = name ? name : "";
  if (name) HeapFree(GetProcessHeap(), 0, name);
  return result;
}

::testing::AssertionResult ChangeOnHost(const char* program, const std::string& argument,
                                        const std::wstring& path) {
  const auto security = [&] {  // the owner and DACL as Wine shows them
    char buffer[4096];
    DWORD size = 0;
    return GetFileSecurityW(path.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            buffer, sizeof buffer, &size)
               ? std::string(buffer, GetSecurityDescriptorLength(buffer))
               : std::string();
  };
  const std::string before = security();
  if (before.empty() || !StartHostCommand(program, {argument, UnixPath(path)}) ||
      !WaitUntil([&] { return security() != before; }))
    return ::testing::AssertionFailure()
           << program << " " << argument << " did not change " << Narrow(path);
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult UninstallGroup::Install(bool russian, const wchar_t* picked,
                                                   const wchar_t* leaf,
                                                   const wchar_t* shortcutLeaf) {
  StartWizard();
  if (!wizard_) return ::testing::AssertionFailure() << "the wizard did not start: " << startError_;
  if (russian) {
    constexpr UINT kCyrillic = 1251;
    const std::wstring title = Widen(texts_->Value(1, "mw_title"), kCyrillic);
    wizard_->ComboDown(Control(wizard::kLanguageListId));
    if (!WaitUntil([&] { return wizard::Text(wizard_->main()) == title; }))
      return ::testing::AssertionFailure() << "the wizard did not switch to Russian";
    wizard::Settle(wizard_->main());
    section_ = 1;
    codePage_ = kCyrillic;
  }
  ::testing::AssertionResult moved = GoToPage(picked ? 3 : 4);
  if (moved && picked && picked[0] && picked[1] == L':')
    wizard_->SetEditText(Control(wizard::kInstallEditId), picked);
  else if (moved && picked)
    moved = ChooseInstallFolder(wizard_.get(), Control(wizard::kInstallListId),
                                Control(wizard::kInstallEditId), picked, leaf);
  if (moved) moved = GoToPage(4);
  if (moved && shortcutLeaf)
    moved = ChooseShortcutFolder(wizard_.get(), Control(wizard::kShortcutListId),
                                 Control(wizard::kShortcutEditId), shortcutLeaf);
  if (!moved) return moved;
  if (!wizard::IsChecked(Control(wizard::kCreateShortcutsId)) ||
      !wizard::IsChecked(Control(wizard::kDesktopShortcutId)))
    return ::testing::AssertionFailure() << "the shortcut check boxes are not both checked";
  installation_.folder = FullPath(wizard::Text(Control(wizard::kInstallEditId)));
  installation_.shortcutFolder = wizard::Text(Control(wizard::kShortcutEditId));
  installation_.desktopLink =
      SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + Shown("sc1") + L".lnk";
  moved = GoToPage(5);
  if (!moved) return moved;
  wizard_->Click(wizard::kNextId);
  if (!wizard_->WaitForPage(wizard::kPageCount, PageText(wizard::kPageCount, "_cancel")))
    return ::testing::AssertionFailure() << "the installation did not reach the last page";
  wizard::CloseFolderWindows(5000);  // the one on the shortcut folder
  wizard_->Click(wizard::kLaunchId);
  if (!WaitUntil([] { return !wizard::IsChecked(Control(wizard::kLaunchId)); }))
    return ::testing::AssertionFailure() << "the launch check box stayed checked";
  wizard_->Click(wizard::kCancelId);
  DWORD exitCode = 1;
  if (!wizard_->WaitForExit(&exitCode) || exitCode != 0)
    return ::testing::AssertionFailure() << "Finish did not end the wizard with 0";
  EndWizard();
  if (!IsThere(installation_.log()))
    return ::testing::AssertionFailure() << "no log at " << Narrow(installation_.log());
  return ::testing::AssertionSuccess();
}

int UninstallGroup::UninstallQuietly(UninstallerRun* run) {
  if (!run->Start(UninstallString() + L" /quiet")) return -1;
  return run->WaitForExit();
}

}  // namespace uninstall_test
