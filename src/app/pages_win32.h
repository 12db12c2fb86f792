// The page build and the language reload.
#pragma once

#include <windows.h>

// Creates the main window and everything in it. False when the main window class cannot be
// registered (nothing is created then).
bool BuildWizardPages(HINSTANCE instance);

// Loads the section `name` of the setup language text and sets every text again.
void ReloadLanguage(const char* name);

// The root of the Windows folder followed by "Program Files" (260 bytes).
void DefaultInstallFolder(char* path);

// The current user's Programs folder of the start menu (260 bytes).
void DefaultShortcutFolder(char* path);
