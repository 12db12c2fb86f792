// Carrying out the uninstaller's plan (uninstall/uninstall_plan.h) on this system. Every file
// or folder is removed through a handle of the item itself, opened without following a link,
// after the place it lies in and every folder down to it have been checked and held
// (folders/place_win32.h, folders/item_removal_win32.h): what was checked is what goes, and
// through a folder that cannot be held nothing goes. A read-only file with more than one name
// keeps its flag and is left, since clearing it would clear it for the other name too. A
// shortcut goes only when it points at this installation's file or address of its name
// (shortcut_target_win32.h), an Internet shortcut (whose address another installation's has too)
// only when this run removed a shell link of the product's from the same folder, and a shortcut
// folder only when this run removed one of the product's shell links from it, it is then empty, and it is none of the user's special folders
// (by identity, however it is spelled). Registry values are deleted, and keys removed only when
// empty.
#pragma once

#include "uninstall/uninstall_plan.h"
#include "uninstall/uninstall_text.h"
#include "uninstall_places_win32.h"

// Carries out every step of `plan`, the uninstall entry's last and only when nothing else of
// the product is left; every reported step that failed is added to `left`. Judges by `places`,
// which the run has found: while another installation is registered (places.otherRegistered),
// no registry step is carried out and no shortcut folder removed; the shortcut folders it
// empties are noted there. COM must be initialised, for reading the shortcuts. True when an
// item of the product (a file or a registry value) was left: then the uninstall entry,
// uninstall.exe and the log stay, so that the user can run the uninstaller again once the file
// is no longer in use.
bool CarryOutPlan(const UninstallPlan& plan, ReportList* left);
