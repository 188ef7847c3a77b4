#include "desktop/data_folders.h"

#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/file_access.h"
#include "dict/dictionary_loader.h"

namespace pelmio {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderName = "pelmio";

bool HoldsBundledFile(const fs::path& folder) {
    std::error_code error;
    for (const std::string& name : BundledDictionaryFileNames()) {
        if (fs::is_regular_file(folder / name, error)) {
            return true;
        }
    }
    return false;
}

// A name already in the folder, in any form: a dangling link counts.
bool NameTaken(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

bool CanWriteIn(const fs::path& folder) {
#ifndef _WIN32
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
#else
    (void)folder;
    return true;
#endif
}

UserFolderResult Failure(UserFolderStatus status, const fs::path& folder, std::string detail) {
    UserFolderResult result;
    result.status = status;
    result.folder = folder;
    result.detail = std::move(detail);
    return result;
}

}  // namespace

std::vector<std::string> BundledDictionaryFileNames() {
    return {kPhraseFileName, kWordFileName};
}

fs::path FindInstalledDataFolder(const fs::path& executable, const std::string& xdgDataDirs) {
    std::vector<fs::path> candidates;
    if (!executable.empty()) {
        candidates.push_back(executable.parent_path().parent_path() / "share" / kFolderName);
    }
    const std::string dirs = xdgDataDirs.empty() ? "/usr/local/share:/usr/share" : xdgDataDirs;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) {
            end = dirs.size();
        }
        const fs::path dir = dirs.substr(start, end - start);
        // Relative entries are not valid there and are skipped.
        if (dir.is_absolute()) {
            candidates.push_back(dir / kFolderName);
        }
        start = end + 1;
    }
    for (const fs::path& candidate : candidates) {
        if (HoldsBundledFile(candidate)) {
            return candidate.lexically_normal();
        }
    }
    return {};
}

bool StartsInUserDataFolder(const fs::path& current, const fs::path& installed) {
    if (installed.empty()) {
        return false;
    }
    for (const std::string& name : BundledDictionaryFileNames()) {
        if (NameTaken(current / name)) {
            return false;
        }
    }
    return true;
}

fs::path UserDataFolderPath(const char* xdgDataHome, const char* home) {
    if (xdgDataHome != nullptr && fs::path(xdgDataHome).is_absolute()) {
        return fs::path(xdgDataHome) / kFolderName;
    }
    if (home != nullptr && fs::path(home).is_absolute()) {
        return fs::path(home) / ".local" / "share" / kFolderName;
    }
    return {};
}

UserFolderResult PrepareUserDataFolder(const fs::path& folder, const fs::path& installed) {
    if (folder.empty()) {
        return Failure(UserFolderStatus::NoFolder, folder, {});
    }
    std::error_code error;
    const fs::file_status own = fs::symlink_status(folder, error);
    if (fs::is_symlink(own) && !fs::exists(fs::status(folder, error))) {
        return Failure(UserFolderStatus::DanglingLink, folder,
                       fs::read_symlink(folder, error).string());
    }
    if (own.type() != fs::file_type::not_found && !fs::is_directory(fs::status(folder, error))) {
        return Failure(UserFolderStatus::NotAFolder, folder, folder.string());
    }
    if (own.type() == fs::file_type::not_found) {
        fs::create_directories(folder, error);
        if (error || !fs::is_directory(folder)) {
            return Failure(UserFolderStatus::CannotCreate, folder,
                           error ? error.message() : folder.string());
        }
    }
    if (!CanWriteIn(folder)) {
        return Failure(UserFolderStatus::NotWritable, folder, folder.string());
    }

    UserFolderResult result;
    result.folder = folder;
    if (installed.empty()) {
        return result;
    }
    for (const std::string& name : BundledDictionaryFileNames()) {
        const fs::path target = folder / name;
        if (NameTaken(target)) {
            continue;
        }
        const ReadResult source = ReadWholeFile(installed / name);
        if (source.status != FileStatus::Ok) {
            continue;  // the window reports the missing file
        }
        // Written whole under another name, then renamed: a copy cut off
        // by a crash or a full disk is never left to be kept as the user's.
        const WriteResult written = ReplaceFileAtomically(target, source.bytes);
        if (written.status != FileStatus::Ok) {
            result.status = UserFolderStatus::CannotCopy;
            result.detail = target.string() + ": " + written.message;
            return result;
        }
        result.copied.push_back(name);
    }
    return result;
}

}  // namespace pelmio
