// What the system itself makes of a path, where there is a system to ask.
#pragma once

// Windows' GetFullPathNameA of `path` into `full` (260 bytes), without a trailing separator;
// false natively, where no Windows is there to ask, and when the call fails.
bool SystemFullPath(const char* path, char* full);
