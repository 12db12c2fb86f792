// Reading a shortcut's target through its open handle (shortcut_target_win32.h).
#include "shortcut_target_win32.h"

// After <windows.h>, which it needs.
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "folders/path_form.h"
#include "folders/path_text.h"
#include "uninstall/uninstall_plan.h"

namespace {

// The shortcut file's bytes, read through its open handle; null when it is larger than any
// shortcut the setup program makes could be. Free with std::free.
char* ReadShortcutBytes(HANDLE item, const BY_HANDLE_FILE_INFORMATION& info, DWORD* length) {
  constexpr DWORD kMostBytes = 64 * 1024;
  if (info.nFileSizeHigh != 0 || info.nFileSizeLow > kMostBytes) return nullptr;
  char* bytes = static_cast<char*>(std::malloc(info.nFileSizeLow + 1));
  if (bytes && ReadFile(item, bytes, info.nFileSizeLow, length, nullptr)) return bytes;
  std::free(bytes);
  return nullptr;
}

// The shell-link identifiers, defined here: libuuid holds every GUID of the system in one
// object.
const CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkInterface = {0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistStreamInterface = {0x00000109, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// The target path of a shell link given as its bytes, loaded by the shell from memory.
bool ReadShellLinkTarget(const char* bytes, DWORD length, char* target) {
  target[0] = '\0';
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, length);
  void* at = memory ? GlobalLock(memory) : nullptr;
  if (!at) {
    if (memory) GlobalFree(memory);
    return false;
  }
  std::memcpy(at, bytes, length);
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return false;
  }
  IShellLinkA* link = nullptr;
  IPersistStream* persist = nullptr;
  bool read = false;
  if (SUCCEEDED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER,
                                 kShellLinkInterface, reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(kPersistStreamInterface, reinterpret_cast<void**>(&persist))))
    read = SUCCEEDED(persist->Load(stream)) &&
           link->GetPath(target, kPathBufferSize, nullptr, 0) == S_OK;
  if (persist) persist->Release();
  if (link) link->Release();
  stream->Release();
  return read;
}

bool EndsWithUrl(const char* name) {
  const size_t length = std::strlen(name);
  return length >= 4 && IsSamePath(name + length - 4, ".url");
}

}  // namespace

bool ReadShortcutTarget(HANDLE item, const BY_HANDLE_FILE_INFORMATION& info, const char* name,
                        char* target, size_t size) {
  DWORD length = 0;
  char* bytes = ReadShortcutBytes(item, info, &length);
  if (!bytes) return false;
  const bool read = EndsWithUrl(name)
                        ? ReadInternetShortcutAddress(bytes, int(length), target, size)
                        : ReadShellLinkTarget(bytes, length, target);
  std::free(bytes);
  return read;
}
