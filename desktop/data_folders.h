#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Where an installed Pelmio keeps its bundled dictionary, and the user's
// own data folder that it is copied into, as the XDG base directory rules
// say. An install works from any prefix: its data is found next to its
// program, not at a path compiled in.
namespace pelmio {

// The files an install ships in share/pelmio and copies into a user's
// data folder.
std::vector<std::string> BundledDictionaryFileNames();

// The first folder that holds at least one bundled dictionary file, among
// <folder of executable>/../share/pelmio, then <dir>/pelmio for each
// absolute dir in xdgDataDirs (a colon-separated list; empty means
// "/usr/local/share:/usr/share"). Empty when there is none.
std::filesystem::path FindInstalledDataFolder(const std::filesystem::path& executable,
                                              const std::string& xdgDataDirs);

// Whether a start that names no folder works as --user-data does: where
// the current folder holds neither dictionary file (in any form, a broken
// link too) and an installed dictionary exists, the files of that folder
// would only be an empty table and stray history and settings.
bool StartsInUserDataFolder(const std::filesystem::path& current,
                            const std::filesystem::path& installed);

// $XDG_DATA_HOME/pelmio when XDG_DATA_HOME is an absolute path, else
// $HOME/.local/share/pelmio. Empty when neither can be used. Either
// argument may be null (the variable is not set).
std::filesystem::path UserDataFolderPath(const char* xdgDataHome, const char* home);

enum class UserFolderStatus {
    Ok,
    NoFolder,      // neither XDG_DATA_HOME nor HOME gives a folder
    NotAFolder,    // a file (or something else) is in its place
    DanglingLink,  // a symbolic link to nothing
    CannotCreate,  // the folder or a parent of it cannot be made
    NotWritable,   // it exists but cannot be written to
    CannotCopy,    // a bundled file could not be copied into it
};

struct UserFolderResult {
    UserFolderStatus status = UserFolderStatus::Ok;
    std::filesystem::path folder;
    std::vector<std::string> copied;  // the files copied this time
    std::string detail;               // the path or system error at fault
};

// Makes folder (and its parents) if it is missing, then copies each
// bundled dictionary file it lacks from installed (when installed is not
// empty and holds it). A name already in the folder, even a link to
// nothing, is never replaced; a missing bundled file is left for the
// window to report as it reports any missing dictionary file.
UserFolderResult PrepareUserDataFolder(const std::filesystem::path& folder,
                                       const std::filesystem::path& installed);

}  // namespace pelmio
