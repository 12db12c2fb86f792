// The judgement of absolute paths: the form Windows itself opens (NormalizePath), whether a
// path is plain, and comparison. Platform-neutral text work, shared by the uninstaller's plan and
// the setup program. Paths compare without regard to the case of ASCII letters.
#pragma once

#include <cstddef>

#include "folders/path_text.h"

// Brings the absolute path `path` to the form that Windows' own path normalisation gives it, the
// name that a file call opens: "/" read as a backslash, runs of separators collapsed, "." and ".."
// resolved (never above the root), a single trailing dot dropped from every name but the last,
// and all trailing dots and spaces from the last (unless a separator ends the path). The result,
// without a trailing separator, goes to `out` (kPathBufferSize bytes). False when `path` is
// 260 bytes or more, does not begin with a drive letter, a colon and a separator or with
// \\server\share, or the result would not fit. The result may still be no plain path.
bool NormalizePath(const char* path, char* out);

// True when `path` is a drive letter, a colon and one or more "\name", or \\server\share and
// one or more "\name", and every name is one that Windows takes as it stands: not empty, no
// control byte or any of / : * ? " < > | in it, not ending in a dot or a space. So ".", "..",
// "...", ". ." and a doubled or trailing backslash are refused, and with them every way of
// climbing out of a folder. A root alone (C:\) is not a plain path.
bool IsPlainPath(const char* path);

// ASCII letters compared without case, every other byte as it is.
bool IsSamePath(const char* a, const char* b);

// True when `path` lies below `folder`: both are plain and `path` is `folder`, a backslash and
// more. A root is never plain, so nothing lies inside a root in this sense.
bool IsInsideFolder(const char* path, const char* folder);

// The first `length` bytes of `a` and `b` are the same, ASCII letters folded.
bool SameStart(const char* a, const char* b, size_t length);

// `path` is `above`, a separator and more: the text test alone, for paths already known to be
// plain and for registry key paths.
bool LiesBelow(const char* path, const char* above);
