// Which folders the programs trust, and the hold of a trusted chain (trust_win32.h), on the
// Win32 security and file services.
#include "folders/trust_win32.h"

#include <aclapi.h>

#include <cstring>

#include "folders/path_text.h"
#include "ui/thunked_calls_win32.h"

namespace {

// The accounts besides the program's own that may change what they like, as binary SIDs one
// after the other (revision, count of parts, authority, the parts): SYSTEM, the Administrators,
// TrustedInstaller.
// clang-format off
const BYTE kTrustedSids[] = {
    1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0,                 // S-1-5-18
    1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0,  // S-1-5-32-544
    // S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464
    1, 6, 0, 0, 0, 0, 0, 5, 80, 0, 0, 0,
    0xb5, 0x89, 0xfb, 0x38, 0x19, 0x84, 0xc2, 0xcb, 0x5c, 0x6c, 0x23, 0x6d, 0x57, 0x00, 0x77, 0x6e, 0xc0, 0x02, 0x64, 0x87,
};
// clang-format on

// A link leads to a folder, which may hold a link in turn: a few levels are followed, a loop is
// not.
constexpr int kMaxLinkDepth = 4;

union {
  TOKEN_USER user;
  BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
} programAccount;

bool IsTrustedAccount(PSID sid) {
  for (const BYTE* known = kTrustedSids; known < kTrustedSids + sizeof kTrustedSids;
       known += 8 + 4 * known[1])
    if (EqualSid(PSID(known), sid)) return true;
  const PSID self = ProgramAccount();
  return self && EqualSid(self, sid);
}

// Entry kinds as bits: the allow and allow-callback entries share one layout; a deny entry only
// takes rights away; any other kind is one this check cannot read, and so might give anything.
constexpr DWORD kAllowEntries =
    1u << ACCESS_ALLOWED_ACE_TYPE | 1u << ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
constexpr DWORD kDenyEntries = 1u << ACCESS_DENIED_ACE_TYPE | 1u << ACCESS_DENIED_OBJECT_ACE_TYPE |
                               1u << ACCESS_DENIED_CALLBACK_ACE_TYPE |
                               1u << ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;

DWORD EntryKind(BYTE type) {
  return type < 32 ? 1u << type : 0;
}

bool IsTrustedEntry(const ACE_HEADER* header, DWORD forbidden) {
  if (header->AceFlags & INHERIT_ONLY_ACE) return true;  // it applies to what is made inside
  if (EntryKind(header->AceType) & kDenyEntries) return true;
  if (!(EntryKind(header->AceType) & kAllowEntries)) return false;
  const ACCESS_ALLOWED_ACE* entry = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
  // Generic rights as they map for files and folders; reading and running change nothing.
  DWORD rights = entry->Mask;
  if (rights & GENERIC_ALL) rights |= FILE_ALL_ACCESS;
  if (rights & GENERIC_WRITE) rights |= FILE_GENERIC_WRITE;
  return !(rights & forbidden) || IsTrustedAccount(PSID(&entry->SidStart));
}

HANDLE OpenForHold(const char* path, bool followLink) {
  // Opened for listing as well: an open for attributes alone takes no part in sharing checks.
  // Write sharing lets setup make items inside; without delete sharing, nobody can rename,
  // delete or replace the folder while it is held.
  return CreateFileA(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                     nullptr);
}

bool AddHeld(HANDLE handle, HeldFolders* held) {
  const int capacity = int(sizeof held->handles / sizeof held->handles[0]);
  if (handle == INVALID_HANDLE_VALUE) return false;
  if (held->count >= capacity) {
    CloseHandle(handle);
    return false;
  }
  held->handles[held->count++] = handle;
  return true;
}

typedef DWORD(WINAPI* FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);

// Where the open folder really is, as a path with a drive letter or a UNC root. Bound at run
// time, for Windows before Vista lacks it: there no link is followed.
bool GetFolderTarget(HANDLE folder, char* target) {
  const auto finalPath = KernelFunction<FinalPathFunction>("GetFinalPathNameByHandleA");
  char path[kPathBufferSize + 8];
  const DWORD length = finalPath ? finalPath(folder, path, sizeof path, 0) : 0;
  if (length == 0 || length >= sizeof path) return false;
  // \\?\C:\... for a folder on a drive; a link that leads to a share (\\?\UNC\...) is not
  // followed.
  return std::strncmp(path, "\\\\?\\", 4) == 0 && path[5] == ':' &&
         BoundedCopy(target, path + 4, kPathBufferSize) < size_t(kPathBufferSize);
}

bool IsLinkAttributes(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Follows the trusted link `path`, held already as itself: its target, and every folder above
// that, must be trusted and exist, and are held.
bool FollowLink(const char* path, FolderRole role, HeldFolders* held, int depth) {
  const HANDLE followed = OpenForHold(path, true);
  char target[kPathBufferSize];
  int missing = 0;
  return AddHeld(followed, held) && depth < kMaxLinkDepth && GetFolderTarget(followed, target) &&
         HoldTrustedChain(target, role, held, &missing, depth + 1) &&
         missing > LastComponentIndex(target);
}

// The folder `path` opened as itself, held, and trusted for its role; a link followed.
bool HoldOne(const char* path, FolderRole role, bool isRoot, HeldFolders* held, int depth) {
  const HANDLE handle = OpenForHold(path, false);
  if (!AddHeld(handle, held)) return false;
  DWORD attributes = 0;
  if (!ReadHandleAttributes(handle, &attributes, nullptr) ||
      !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !IsTrustedHandle(handle, UntrustedRights(role, isRoot)))
    return false;
  // Wine opens a link's target even when asked for the link itself and reports the target; only
  // the path shows the link there. On Windows the handle is the link, and its own descriptor was
  // checked above. A drive's root is the volume itself, though Wine may show the host folder it
  // maps as a link.
  if (!isRoot && (IsLinkAttributes(attributes) || IsLinkAttributes(GetFileAttributesA(path))))
    return FollowLink(path, role, held, depth);
  return true;
}

}  // namespace

PSID ProgramAccount() {
  // Asked again only after the system could not tell.
  if (!programAccount.user.User.Sid) {
    HANDLE token = nullptr;
    DWORD size = 0;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
      if (!GetTokenInformation(token, TokenUser, &programAccount, sizeof programAccount, &size))
        programAccount.user.User.Sid = nullptr;
      CloseHandle(token);
    }
  }
  return programAccount.user.User.Sid;
}

DWORD UntrustedRights(FolderRole role, bool isDriveRoot) {
  DWORD rights = FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER;
  if (!isDriveRoot) rights |= DELETE;
  if (role == kFolderInstalled) rights |= FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
  return rights;
}

bool IsTrustedDescriptor(PSID owner, PACL dacl, DWORD forbidden) {
  if (!owner || !IsTrustedAccount(owner) || !dacl) return false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(dacl, i, &entry) || !IsTrustedEntry(static_cast<ACE_HEADER*>(entry), forbidden))
      return false;
  }
  return true;
}

bool IsTrustedHandle(HANDLE handle, DWORD forbidden) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                      &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  const bool trusted = IsTrustedDescriptor(owner, dacl, forbidden);
  LocalFree(descriptor);
  return trusted;
}

bool HoldTrustedChain(const char* folder, FolderRole lastRole, HeldFolders* held, int* firstMissing,
                      int depth) {
  const int last = LastComponentIndex(folder);
  char prefix[kPathBufferSize];
  // A path without a root ("X:" alone names the current folder of that drive) names no place
  // to hold: nothing of it is there, and making it fails.
  *firstMissing = 0;
  if (last < 0 || std::strlen(folder) >= size_t(kPathBufferSize)) return true;
  PathPrefix(folder, 0, prefix);
  if (prefix[std::strlen(prefix) - 1] != '\\') return true;
  for (int k = 0; k <= last; ++k) {
    PathPrefix(folder, k, prefix);
    // What is not there, or not a folder, or cannot even be asked about, holds nothing to trust:
    // making the folder there fails, and that is the caller's to say.
    const DWORD attributes = GetFileAttributesA(prefix);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      *firstMissing = k;
      return true;
    }
    if (!HoldOne(prefix, k == last ? lastRole : kFolderOnTheWay, k == 0, held, depth)) return false;
  }
  *firstMissing = last + 1;
  return true;
}

bool HoldTrustedFolder(const char* path, FolderRole role, HeldFolders* held) {
  return HoldOne(path, role, false, held, 0);
}

bool HoldsFolder(const HeldFolders* held, const char* other) {
  const FileIdentity wanted = IdentityOfPath(other);
  for (int i = 0; IsKnownIdentity(wanted) && i < held->count; ++i) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(held->handles[i], &info) &&
        IsSameIdentity(IdentityOf(info), wanted))
      return true;
  }
  return false;
}
