#pragma once

#include <chrono>
#include <filesystem>

namespace pelmio {

enum class LockState {
    Locked,       // held by this object until it goes
    Busy,         // another program holds it: do not write
    Unavailable,  // the folder cannot be locked at all (no access, no lock support)
};

// The name of the lock file taken where a folder cannot be opened to lock
// it (a folder one may write to but not list).
inline constexpr const char* kLockFileName = ".pelmio.lock";

// An advisory lock (flock) on a folder while it lives, so programs that
// read, change and replace a file in it take turns. It never waits longer
// than it is told: a caller that finds it busy tries again later rather
// than freeze its window or write without it.
//
// The lock is on the folder itself. Where the folder cannot be opened, it
// is on the lock file kLockFileName in it instead, made if missing; where
// that file exists, it is locked as well as the folder, so programs that
// can open the folder and programs that cannot still take turns.
class FolderLock {
public:
    // One attempt, no waiting.
    explicit FolderLock(const std::filesystem::path& folder);
    // Attempts until the lock is had or wait has passed.
    FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds wait);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    LockState state() const { return m_state; }
    // True unless another program holds the lock: where locking is not
    // available at all, no other program can hold it either.
    bool mayWrite() const { return m_state != LockState::Busy; }

private:
    void release();

    int m_folderFd = -1;
    int m_fileFd = -1;
    LockState m_state = LockState::Unavailable;
};

}  // namespace pelmio
