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
// XDG_DATA_DIRS), makes the user's data folder, and says which dictionary
// files to read: the user's own there, else the installed ones. Returns
// that, or nothing after telling the user (a message box and stderr) why
// the folder cannot be used.
std::optional<UserFolderResult> OpenUserDataFolder();

}  // namespace pelmio
