#pragma once

#include <filesystem>
#include <optional>

#include <QString>

#include "desktop/data_folders.h"

namespace pelmio {

// What the user is told when the data folder cannot be used; empty when
// it can.
QString UserFolderMessage(const UserFolderResult& result);

// The installed dictionary's folder (beside the program, else in
// XDG_DATA_DIRS); empty when there is none.
std::filesystem::path InstalledDataFolder();

// Finds the installed dictionary (beside the program, else in
// XDG_DATA_DIRS), makes the user's data folder and copies the dictionary
// into it where missing. Returns the folder, or nothing after telling the
// user (a message box and stderr) why it cannot be used.
std::optional<std::filesystem::path> OpenUserDataFolder();

}  // namespace pelmio
