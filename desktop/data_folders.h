#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Where an installed Pelmio keeps its bundled dictionary, and the user's
// own data folder, as the XDG base directory rules say. An install works from any prefix: its data
// is found next to its program, not at a path compiled in.
namespace pelmio {

// The files an install ships in share/pelmio, in the order they load.
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
    DanglingLink,  // it, or a folder on its way, is a symbolic link to nothing
    NoAccess,      // it, or a folder on its way, may not be entered
    CannotCreate,  // the folder or a parent of it cannot be made
    NotWritable,   // it exists but cannot be written to
};

struct UserFolderResult {
    UserFolderStatus status = UserFolderStatus::Ok;
    std::filesystem::path folder;  // for DanglingLink and NoAccess, the name at fault
    // The file to read for each bundled name, in load order.
    std::vector<std::filesystem::path> dictionaries;
    // Unedited copies an earlier version made, removed this time.
    std::vector<std::string> removed;
    std::string detail;  // the path or system error at fault
};

// 64-bit FNV-1a: tells a copy Pelmio made from one the user edited.
std::uint64_t ContentHash(std::string_view bytes);

// Whether bytes, found under a bundled name, are a version of that file
// that some version of Pelmio shipped, byte for byte.
bool IsBundledVersion(const std::string& name, std::string_view bytes);

// Makes folder (and its parents) if it is missing, and says which file to
// read for each bundled name: the folder's own where the user put one
// there (in any form, even a link to nothing), else the installed one, so
// an upgrade of the install reaches the user. A copy an earlier version
// made there and nobody edited (identical to the installed file, or to a
// version ever shipped) is removed in favour of the installed file. With
// no install, or a bundled file missing from it, the folder's name is
// read, and the window reports it missing as it reports any. A copy is
// judged and removed only under the folder's lock, waiting for it at most
// lockWait; while another program holds it, the copy stays for a later
// start, and the installed file is read all the same.
UserFolderResult PrepareUserDataFolder(
    const std::filesystem::path& folder, const std::filesystem::path& installed,
    std::chrono::milliseconds lockWait = std::chrono::milliseconds(1000));

}  // namespace pelmio
