// The texts an installation leaves behind: the lines of the install log and the registry names
// they record, and the uninstall command. Platform-neutral: the lines go to whatever the log's
// `append` writes to (setup.exe: a file opened for appending only; tests: a stdio stream).
//
// The log has three kinds of line, each ended by CR LF: a folder line is a folder path and a
// backslash, a registry line is a registry name in brackets, and every other line is a file line.
#pragma once

#include <cstddef>
#include <cstdio>

inline constexpr char kUninstallKeyPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintaxel";
inline constexpr char kSettingsKeyPath[] = "Software\\Vorlen Software\\Quintaxel";
inline constexpr char kInstallLogName[] = "install.log";
inline constexpr char kUninstallerName[] = "uninstall.exe";

// The install log as its writers see it. `append` puts one whole line, its CR LF included, at
// the end of the log in a single write, so that lines of two installations writing at once never
// mix, and says whether all of it is there. Once a write has failed (a full disk) `failed` stays
// set and nothing more is written: a line cut short by the failure stays the last line.
struct InstallLog {
  bool (*append)(InstallLog* log, char* line, size_t length);
  void* target;  // what `append` writes to
  bool failed;
};

// A log that goes to a stdio stream, the line end stored as a single line feed (which a text
// stream on Windows turns back into CR LF).
InstallLog StreamInstallLog(FILE* stream);

// Each writer writes nothing and is false when `log` is null (the log could not be opened) or has
// failed before; otherwise true when the whole line is in. The installation makes a file, folder,
// registry value or shortcut only once its line is in.
bool WriteFolderLine(InstallLog* log, const char* folder);
bool WriteFileLine(InstallLog* log, const char* file);
// The uninstall key, then its DisplayName and UninstallString values.
bool WriteUninstallKeyLines(InstallLog* log);
// The nine values of the settings key that the product keeps, "content" to "width".
bool WriteSettingsKeyLines(InstallLog* log);

// The same writers on a stdio stream (null: no log), for the tools and tests that build logs.
bool WriteFolderLine(FILE* stream, const char* folder);
bool WriteFileLine(FILE* stream, const char* file);
bool WriteUninstallKeyLines(FILE* stream);
bool WriteSettingsKeyLines(FILE* stream);

// The command Windows runs to uninstall: `path`, in double quotes when it holds a space, so
// that C:\Program Files\... cannot be taken for C:\Program.exe with arguments. False when the
// result would not fit `size` bytes (nothing usable is written then).
bool FormatUninstallCommand(char* out, size_t size, const char* path);
