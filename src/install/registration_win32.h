// The system registration: the uninstall entry under HKEY_LOCAL_MACHINE and the product's
// settings key under HKEY_CURRENT_USER. Every registry failure is passed over.
#pragma once

#include <windows.h>

#include "install/install_text.h"

// The open settings key; 0 when none is open.
extern HKEY settingsKey;

// Creates or opens `keyPath` under HKEY_LOCAL_MACHINE, sets the REG_SZ value, closes the key;
// false when the value was not set.
bool WriteMachineString(const char* keyPath, const char* valueName, const char* text);

// Closes any open settings key, then creates or opens `keyPath` under HKEY_CURRENT_USER.
void OpenSettingsKey(const char* keyPath);

// Sets a REG_SZ value of the open settings key; nothing when none is open.
void SetSettingsString(const char* valueName, const char* text);

void CloseSettingsKey();

// The whole registration step: the uninstall entry pointing at the uninstaller in the install
// folder, the chosen language in the settings key, each value only once its line is in the
// install log. An installation that is not `complete` leaves an entry that names another
// folder's uninstaller as it is: that installation stays registered. False when the uninstall
// entry was not written whole, or a line could not be written (then nothing more is written).
bool RegisterProduct(InstallLog* log, bool complete);

// The install folder of the registered installation into `folder` (kPathBufferSize bytes): the
// folder of the uninstaller that the uninstall entry names, when that uninstaller is there.
// False when none is registered, or the entry names no uninstaller that is there: nothing
// could remove that installation, and it does not hold a new one back.
bool RegisteredInstallFolder(char* folder);
