// The texts an installation leaves behind: the lines of the install log and the registry names
// they record, and the uninstall command. Platform-neutral: the lines go to any stdio stream.
//
// The log has three kinds of line, each ended by a line feed (which the log's text-mode stream
// stores as CR LF): a folder line is a folder path and a backslash, a registry line is a
// registry name in brackets, and every other line is a file line.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr char kUninstallKeyPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaxel";
constexpr char kSettingsKeyPath[] = "Software\\Vorlen Software\\Quintaxel";
constexpr char kInstallLogName[] = "install.log";
constexpr char kUninstallerName[] = "uninstall.exe";

// Each line goes to the stream in one write, and is true when the whole line is there. A writer
// writes nothing and is false when `log` is null (the log could not be opened) or a write to it
// has failed before (a full disk): a line cut short by the failure then stays the last line,
// with nothing glued to it. The installation makes a file or folder only once its line is in.
bool WriteFolderLine(FILE* log, const char* folder);
bool WriteFileLine(FILE* log, const char* file);
// The uninstall key, then its DisplayName and UninstallString values.
void WriteUninstallKeyLines(FILE* log);
// The nine values of the settings key that the product keeps, "content" to "width".
void WriteSettingsKeyLines(FILE* log);

// The command Windows runs to uninstall: `path`, in double quotes when it holds a space, so
// that C:\Program Files\... cannot be taken for C:\Program.exe with arguments. False when the
// result would not fit `size` bytes (nothing usable is written then).
bool FormatUninstallCommand(char* out, size_t size, const char* path);
