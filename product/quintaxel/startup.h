// The choices quintaxel.exe makes at start-up from its language file, the registry value the
// installer left and its own path. Kept free of <windows.h> so that the tests run them natively.
#pragma once

#include <cstddef>

// The keys the program looks up in its language section. Every section of quintaxel.lng defines
// each of them; the tests hold the file to that.
constexpr char kTitleKey[] = "mw_title";
constexpr char kHeadingKey[] = "mw_heading";
constexpr char kTextKey[] = "mw_text";
constexpr char kFileMenuKey[] = "menu_file";
constexpr char kExitItemKey[] = "menu_exit";
constexpr char kViewMenuKey[] = "menu_view";
constexpr char kLargeTextItemKey[] = "menu_large_text";
constexpr char kHelpMenuKey[] = "menu_help";
constexpr char kContentsItemKey[] = "menu_contents";
constexpr char kAboutItemKey[] = "menu_about";
constexpr char kAboutTitleKey[] = "about_title";
constexpr char kAboutTextKey[] = "about_text";
constexpr char kHelpIndexKey[] = "help_index";

constexpr const char* kProgramKeys[] = {
    kTitleKey,      kHeadingKey,       kTextKey,     kFileMenuKey,     kExitItemKey,
    kViewMenuKey,   kLargeTextItemKey, kHelpMenuKey, kContentsItemKey, kAboutItemKey,
    kAboutTitleKey, kAboutTextKey,     kHelpIndexKey};

// The language file beside the program.
constexpr char kLanguageFileName[] = "quintaxel.lng";

// The index of the section named `wanted` among the first `count` names of the LanguageList,
// compared byte for byte; 0, the first section, when `wanted` is null or names none of them.
// The installer writes the section name with its ampersand ("&English"), so that is what is
// compared.
int ChooseLanguageIndex(const char* wanted, int count);

// Writes into `path` (`size` bytes) the folder of `modulePath`, up to and including its last
// backslash, followed by `name`, whose own backslashes are kept. Returns false, with `path`
// empty, when the result does not fit: a cut path would name another file.
bool PathBesideModule(char* path, size_t size, const char* modulePath, const char* name);
