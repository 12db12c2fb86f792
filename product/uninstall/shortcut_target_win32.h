// Reading where a shortcut points, from the bytes of the very handle that would delete it: the
// file is read once, so what is judged is what goes. A shell link (.lnk) is loaded by the shell
// from those bytes in memory; an internet shortcut (.url) is read for its address.
#pragma once

#include <windows.h>

#include <cstddef>

// Reads the target of the shortcut open as `item` into `target` of `size` bytes (at least
// kPathBufferSize): the address when `name`, the shortcut's file name, ends in ".url", else the
// path a shell link points at. `info` is the item's, from GetFileInformationByHandle. COM must
// be initialised on this thread. False when the file is larger than any shortcut the setup
// program makes could be, cannot be read, or names no target.
bool ReadShortcutTarget(HANDLE item, const BY_HANDLE_FILE_INFORMATION& info, const char* name,
                        char* target, size_t size);
