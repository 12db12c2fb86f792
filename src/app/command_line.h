// The command line: the program name is skipped and the rest is ignored.
#pragma once

// Returns the part of `commandLine` after the program name and the spaces that follow it. A name
// in double quotes runs to the closing quote; without a closing quote the whole line is the rest.
// Otherwise the name runs to the first space. Only spaces separate; tabs do not.
const char* SkipProgramName(const char* commandLine);
