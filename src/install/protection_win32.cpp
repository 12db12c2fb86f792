// The protection of the installation's folders and files (protection_win32.h).
#include "install/protection_win32.h"

#include <sddl.h>

#include "folders/place_win32.h"

namespace {

// D: the access list; P: protected from what the parent passes down; AI: it passes itself down.
// OICI: to files and folders made inside. FA: full control; 0x1200a9: read and execute.
// SY: SYSTEM, BA: Administrators, BU: Users.
constexpr char kProtectedRights[] = "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

}  // namespace

SECURITY_ATTRIBUTES* ProtectedAttributes() {
  static SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  if (!attributes.lpSecurityDescriptor &&
      !ConvertStringSecurityDescriptorToSecurityDescriptorA(
          kProtectedRights, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr))
    return nullptr;
  return &attributes;
}

HANDLE OpenPlainFile(const char* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                     bool* created) {
  HANDLE file = CreateFileA(path, access | FILE_READ_ATTRIBUTES, share, security, OPEN_ALWAYS,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_WRITE_THROUGH, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  DWORD attributes = 0, links = 0;
  const DWORD refused = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
  // The path is asked too, while the file is open: Wine opens a link's target even when asked
  // for the link itself, and then reports the target. A new file got `security` as it was made;
  // an existing one keeps the rights it had, so they are set here, on the open file.
  if (!ReadHandleAttributes(file, &attributes, &links) || (attributes & refused) ||
      (GetFileAttributesA(path) & refused) || links > 1 ||
      (security && existed &&
       !SetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, security->lpSecurityDescriptor))) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  if (created) *created = !existed;
  return file;
}
