// Whether a shortcut target is a web address rather than a file of the installation.
#pragma once

// True when `target` begins with "http://" or "https://", in any letter case. Such a target
// becomes an Internet shortcut; every other target is a path relative to the install folder.
bool IsWebAddress(const char* target);
