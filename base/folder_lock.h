#pragma once

#include <filesystem>

namespace pelmio {

// Holds an advisory lock on a folder while it lives, so two programs that
// read, change and replace the same file in it take turns. It waits for
// the lock at most about two seconds and then goes on without it (a file
// is still never left half written); where locking is not available it
// does nothing.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

}  // namespace pelmio
