// Makes the shipped setup package (built by qxpack in this build) package 1, as setup.exe has
// it: on Windows through LocatePackages over the test executable's own resources, natively by
// reading the packed file.
#pragma once

bool LoadShippedPackages();
