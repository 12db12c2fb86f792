// The paths an installation makes, composed and judged before anything is made: a file lands
// exactly where its log line says, or the installation does not begin. Platform-neutral.
#pragma once

// Writes `folder`, a separator (unless `folder` ends with one, as a root C:\ does) and `name`
// into `out` (260 bytes). False when the result would not fit 259 bytes; `out` is then no path.
bool JoinInstallPath(char* out, const char* folder, const char* name);

// JoinInstallPath, and true only when every name of the result after its root is one that
// Windows takes as it stands and that names no device: not empty, no "." or "..", none of
// / : * ? " < > | or a control byte, no trailing dot or space, not NUL, CON, COM1 and the like.
bool ComposeInstallPath(char* out, const char* folder, const char* name);

// True when `folder` may be the install folder: a drive or share root or a path of plain names
// that leaves room for a file in it, and neither the Windows folder `windowsFolder` nor inside it
// (where a 32-bit program's files would land in another folder than the one registered).
bool IsInstallFolderAllowed(const char* folder, const char* windowsFolder);
