#include "desktop/data_folders.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <optional>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/file_access.h"
#include "base/folder_lock.h"
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

// Sizes and hashes of every version of the bundled files ever shipped.
struct BundledVersion {
    const char* name;
    std::uintmax_t size;
    std::uint64_t hash;
};
constexpr BundledVersion kBundledVersions[] = {
#include "desktop/bundled_versions.inc"
};

// A plain file (not a link, which the user made) whose bytes are the
// installed file's or a version ever shipped. Its size is looked at first,
// so the user's own dictionary is rarely read here.
bool IsUneditedCopy(const fs::path& copy, const std::string& name, const fs::path& installed) {
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(copy, error))) {
        return false;
    }
    const std::uintmax_t size = fs::file_size(copy, error);
    if (error) {
        return false;
    }
    const bool sameSize = fs::file_size(installed, error) == size && !error;
    const bool knownSize = std::any_of(std::begin(kBundledVersions), std::end(kBundledVersions),
                                       [&](const BundledVersion& version) {
                                           return version.name == name && version.size == size;
                                       });
    if (!sameSize && !knownSize) {
        return false;
    }
    const ReadResult bytes = ReadWholeFile(copy);
    if (bytes.status != FileStatus::Ok) {
        return false;
    }
    if (sameSize) {
        const ReadResult original = ReadWholeFile(installed);
        if (original.status == FileStatus::Ok && original.bytes == bytes.bytes) {
            return true;
        }
    }
    return IsBundledVersion(name, bytes.bytes);
}

UserFolderResult Failure(UserFolderStatus status, const fs::path& folder, std::string detail) {
    UserFolderResult result;
    result.status = status;
    result.folder = folder;
    result.detail = std::move(detail);
    return result;
}

bool CanEnter(const fs::path& folder) {
#ifndef _WIN32
    return ::access(folder.c_str(), X_OK) == 0;
#else
    (void)folder;
    return true;
#endif
}

// Why folder could not be made or looked at, given the error: a name on its
// way that is a link to nothing or a folder that may not be entered says
// more than the error itself ("File exists", "Permission denied").
UserFolderResult WhyNotMade(const fs::path& folder, const std::error_code& made) {
    for (fs::path on = folder; !on.empty(); on = on.parent_path()) {
        std::error_code error;
        const fs::file_status own = fs::symlink_status(on, error);
        if (own.type() != fs::file_type::none && own.type() != fs::file_type::not_found) {
            if (fs::is_symlink(own) && !fs::exists(fs::status(on, error))) {
                return Failure(UserFolderStatus::DanglingLink, on,
                               fs::read_symlink(on, error).string());
            }
            if (fs::is_directory(fs::status(on, error)) && !CanEnter(on)) {
                return Failure(UserFolderStatus::NoAccess, on,
                               std::make_error_code(std::errc::permission_denied).message());
            }
            break;  // the nearest name there is: the error itself is the cause
        }
        if (on == on.parent_path()) {
            break;
        }
    }
    return Failure(UserFolderStatus::CannotCreate, folder, made ? made.message() : folder.string());
}

}  // namespace

std::vector<std::string> BundledDictionaryFileNames() {
    return {kPhraseFileName, kWordFileName};
}

std::uint64_t ContentHash(std::string_view bytes) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

bool IsBundledVersion(const std::string& name, std::string_view bytes) {
    const std::uint64_t hash = ContentHash(bytes);
    return std::any_of(std::begin(kBundledVersions), std::end(kBundledVersions),
                       [&](const BundledVersion& version) {
                           return version.name == name && version.size == bytes.size() &&
                                  version.hash == hash;
                       });
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

UserFolderResult PrepareUserDataFolder(const fs::path& folder, const fs::path& installed,
                                       std::chrono::milliseconds lockWait) {
    if (folder.empty()) {
        return Failure(UserFolderStatus::NoFolder, folder, {});
    }
    std::error_code error;
    const fs::file_status own = fs::symlink_status(folder, error);
    if (own.type() == fs::file_type::none) {
        // Not "something else is in the way": a folder on the way is closed.
        return WhyNotMade(folder, error);
    }
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
            return WhyNotMade(folder, error);
        }
    }
    if (!CanWriteIn(folder)) {
        return Failure(UserFolderStatus::NotWritable, folder, folder.string());
    }

    UserFolderResult result;
    result.folder = folder;
    std::optional<FolderLock> lock;
    for (const std::string& name : BundledDictionaryFileNames()) {
        const fs::path own = folder / name;
        const fs::path bundled = installed / name;
        if (installed.empty() || !fs::is_regular_file(bundled, error)) {
            result.dictionaries.push_back(own);
            continue;
        }
        if (NameTaken(own)) {
            // Judged and removed under the lock: two programs starting at
            // once take turns, and none removes a file another is writing.
            if (!lock) {
                lock.emplace(folder, lockWait);
            }
            if (!IsUneditedCopy(own, name, bundled)) {
                result.dictionaries.push_back(own);  // the user's own
                continue;
            }
            // Read from the install from now on; a copy that cannot be
            // removed now is merely left behind.
            if (lock->mayWrite() && fs::remove(own, error)) {
                result.removed.push_back(name);
            }
        }
        result.dictionaries.push_back(bundled);
    }
    return result;
}

}  // namespace pelmio
