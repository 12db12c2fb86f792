// The uninstaller's removal of itself through a private copy (removal_copy_win32.h).
#include "removal_copy_win32.h"

#include <windows.h>
// After <windows.h>, which it needs.
#include <sddl.h>

#include <cstdlib>
#include <cstring>

#include "folders/code_page.h"
#include "folders/item_removal_win32.h"
#include "folders/path_form.h"
#include "folders/path_text.h"
#include "install/install_text.h"
#include "lang/fill_text.h"
#include "product_language_win32.h"
#include "startup.h"
#include "ui/thunked_calls_win32.h"

namespace {

constexpr char kCopyName[] = "qxuninstall";
// How often the copy asks for the original's deletion, a tenth of a second apart: the system may
// keep the file of a process that has just ended mapped for a moment longer.
constexpr int kDeleteAttempts = 50;

bool WriteAll(HANDLE file, const char* bytes, int length) {
  DWORD written = 0;
  return WriteFile(file, bytes, DWORD(length), &written, nullptr) && written == DWORD(length);
}

bool HoldsExactly(HANDLE file, const char* bytes, int length) {
  char* read = static_cast<char*>(std::malloc(size_t(length) + 1));
  DWORD got = 0;
  const bool same = read && ReadFile(file, read, DWORD(length) + 1, &got, nullptr) &&
                    got == DWORD(length) && std::memcmp(read, bytes, size_t(length)) == 0;
  std::free(read);
  return same;
}

// Writes this program's bytes to `copy` as a new file and opens it again, for reading only and
// with no sharing but reading: from then on until the handle is closed, no other process can
// change, rename or replace it. The bytes are read back through that handle, so a replacement
// made before it was opened is found too. The handle, or INVALID_HANDLE_VALUE.
HANDLE WriteHeldCopy(const char* program, const char* copy) {
  int length = 0;
  char* bytes = ReadWholeFile(program, &length);
  if (!bytes) return INVALID_HANDLE_VALUE;
  HANDLE file =
      CreateFileA(copy, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool written = file != INVALID_HANDLE_VALUE && WriteAll(file, bytes, length);
  if (file != INVALID_HANDLE_VALUE) written = CloseHandle(file) && written;
  HANDLE held = written ? CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)
                        : INVALID_HANDLE_VALUE;
  if (held != INVALID_HANDLE_VALUE && !HoldsExactly(held, bytes, length)) {
    CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
  }
  std::free(bytes);
  if (held == INVALID_HANDLE_VALUE && written) DeleteFileA(copy);
  return held;
}

// "D:P" and full access for SYSTEM, the Administrators and this process's user, inherited by
// what the folder holds, and nothing inherited from above; false when the user's name in the
// system (its SID) cannot be had.
bool PrivateFolderSecurity(SECURITY_ATTRIBUTES* security) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  char buffer[256];  // a TOKEN_USER and the SID after it
  DWORD size = 0;
  char* sid = nullptr;
  const bool known = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
                     ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid);
  CloseHandle(token);
  char descriptor[256];
  const bool made =
      known &&
      ComposePath(descriptor, "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;%s)", sid) &&
      ConvertStringSecurityDescriptorToSecurityDescriptorA(
          descriptor, SDDL_REVISION_1, &security->lpSecurityDescriptor, nullptr);
  if (sid) LocalFree(sid);
  security->nLength = sizeof *security;
  security->bInheritHandle = FALSE;
  return made;
}

// Makes a new folder in the temporary folder, named "qx" and 16 random hexadecimal digits, that
// only SYSTEM, the Administrators and this user may open: a user who can write the temporary
// folder can neither guess it in advance nor plant or change anything in it. A folder of that
// name that is already there is refused, never used. False when none could be made.
bool MakePrivateFolder(const char* temp, char* folder) {
  typedef BOOLEAN(WINAPI * RandomFunction)(PVOID, ULONG);
  const auto random = reinterpret_cast<RandomFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("advapi32.dll"), "SystemFunction036")));
  unsigned char bytes[8];
  SECURITY_ATTRIBUTES security = {};
  if (!temp[0] || !random || !random(bytes, sizeof bytes) || !PrivateFolderSecurity(&security))
    return false;
  char name[2 * sizeof bytes + 1];
  for (size_t i = 0; i < sizeof bytes; ++i) {
    name[2 * i] = "0123456789abcdef"[bytes[i] >> 4];
    name[2 * i + 1] = "0123456789abcdef"[bytes[i] & 15];
  }
  name[2 * sizeof bytes] = '\0';
  const bool made =
      ComposePath(folder, "%sqx%s", temp, name) && CreateDirectoryA(folder, &security);
  LocalFree(security.lpSecurityDescriptor);
  return made;
}

// Every held handle of `chain` made inheritable: the copy holds the chain from its start.
bool InheritChain(const HeldFolders* chain) {
  for (int i = 0; i < chain->count; ++i)
    if (!SetHandleInformation(chain->handles[i], HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
      return false;
  return chain->count > 0;
}

bool IsHeldFolder(HANDLE, const BY_HANDLE_FILE_INFORMATION& info, const void* context) {
  return IsSameIdentity(IdentityOf(info), *static_cast<const FileIdentity*>(context));
}

// A folder of the install folder's chain, held by the inherited handle `held`, removed as itself
// when empty. The hold shares no delete access, so it is let go just before the folder is opened
// for deletion, while the chain above it stays held; what that open finds must be the plain
// folder that was held, never a link, nor what a link led the chain to.
bool RemoveHeldFolder(const char* folder, HANDLE held) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(held, &info)) return false;
  const FileIdentity identity = IdentityOf(info);
  CloseHandle(held);
  const ItemRule sameFolder = {true, IsHeldFolder, &identity, 1};
  return RemoveItem(folder, sameFolder) == kRemoved;
}

}  // namespace

bool StartRemovalCopy(const char* program, const char* temp, const HeldFolders* chain,
                      int folders) {
  char number[24], folder[kPathBufferSize], copy[kPathBufferSize];
  if (!MakePrivateFolder(temp, folder)) return false;
  // Named after this process as well, so that a test can tell the copy of one run.
  const HANDLE held = ComposePath(copy, "%s\\%s%s.exe", folder, kCopyName,
                                  DecimalText(number, GetCurrentProcessId()))
                          ? WriteHeldCopy(program, copy)
                          : INVALID_HANDLE_VALUE;
  if (held == INVALID_HANDLE_VALUE) {
    RemoveDirectoryA(folder);
    return false;
  }
  HANDLE self = nullptr;
  char command[3 * kPathBufferSize];
  bool started = false;
  if (InheritChain(chain) &&
      DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                      SYNCHRONIZE, TRUE, 0) &&
      FormatFinishCommand(command, sizeof command, copy, reinterpret_cast<uintptr_t>(self),
                          chain->handles + chain->count - folders, folders, program)) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // The copy's current folder is the temporary one, so that it holds no folder of the
    // installation open.
    started =
        CreateProcessA(copy, command, nullptr, nullptr, TRUE, 0, nullptr, temp, &startup, &process);
    if (started) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  if (self) CloseHandle(self);  // the copy holds its own inherited handle
  CloseHandle(held);            // the running copy's image now keeps it as it is
  if (!started) {
    DeleteFileA(copy);
    RemoveDirectoryA(folder);
  }
  return started;
}

bool FinishRemoval(const UninstallOptions& options) {
  HANDLE original = reinterpret_cast<HANDLE>(options.waitHandle);
  if (!IsPlainPath(options.original) || WaitForSingleObject(original, INFINITE) != WAIT_OBJECT_0)
    return false;
  CloseHandle(original);
  // The install folder's chain is held by the inherited handles: the names in it lead where they
  // led when the uninstaller checked them.
  const ItemRule program = {false, nullptr, nullptr, kDeleteAttempts};
  const ItemRule anyFile = {false, nullptr, nullptr, 1};
  RemoveItem(options.original, program);
  char log[kPathBufferSize], folder[kPathBufferSize], self[kPathBufferSize];
  if (PathBesideModule(log, sizeof log, options.original, kInstallLogName))
    RemoveItem(log, anyFile);
  // The install folder, and then the folders above it innermost first, each only once the one
  // inside it has gone. The handles are the chain's last, taken as one a component of the path:
  // where the chain followed a link, one may be another folder than its path names, and then
  // that folder, not being the one held, stays with all above it. Never a drive's root, which is
  // no plain path.
  const int last = LastComponentIndex(options.original) - 1;
  for (int i = 0; i < options.folderCount; ++i)
    if (!IsPlainPath(PathPrefix(options.original, last - i, folder)) ||
        !RemoveHeldFolder(folder, reinterpret_cast<HANDLE>(options.folderHandles[i])))
      break;
  // The copy, and then its private folder.
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length > 0 && length < sizeof self) {
    MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    *const_cast<char*>(FindLastCharacter(self, '\\')) = '\0';
    MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return true;
}
