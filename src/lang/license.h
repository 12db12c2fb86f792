// The licence text of the current language, shown on the licence page.
#pragma once

// Process-wide, NUL-terminated; null until the first LoadLicenseText, and from then on never
// null until FreeLicenseText (an empty text when memory ran out).
extern char* licenseText;

// Replaces licenseText with the setup package entry named by the current `license` value; the
// empty string when there is no such entry (or the buffer cannot grow).
void LoadLicenseText();

// Releases licenseText, after the message loop has ended.
void FreeLicenseText();
