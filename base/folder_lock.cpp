#include "base/folder_lock.h"

#include <algorithm>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace pelmio {
namespace fs = std::filesystem;

#ifndef _WIN32
namespace {

using Clock = std::chrono::steady_clock;

// Takes the lock of an open file or folder, trying until deadline.
LockState Lock(int fd, Clock::time_point deadline) {
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return LockState::Locked;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EWOULDBLOCK) {
            return LockState::Unavailable;  // the file system cannot lock: nobody else can hold it
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return LockState::Busy;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

// Opens the lock file in folder; made (for the folder's owner, when the
// administrator makes it) only when create is set. Reading is enough to
// lock it, so a lock file another user made serves as well.
int OpenLockFile(const fs::path& folder, bool create) {
    const fs::path path = folder / kLockFileName;
    const int flags = O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW;
    int fd = ::open(path.c_str(), O_RDONLY | flags);
    if (fd >= 0 || !create || errno != ENOENT) {
        return fd;
    }
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | flags, 0644);
    if (fd < 0 && errno == EEXIST) {
        return ::open(path.c_str(), O_RDONLY | flags);  // made meanwhile
    }
    struct stat owner {};
    if (fd >= 0 && ::geteuid() == 0 && ::stat(folder.c_str(), &owner) == 0 && owner.st_uid != 0) {
        [[maybe_unused]] const int given = ::fchown(fd, owner.st_uid, owner.st_gid);
    }
    return fd;
}

}  // namespace
#endif

FolderLock::FolderLock(const fs::path& folder) : FolderLock(folder, std::chrono::milliseconds(0)) {}

FolderLock::FolderLock(const fs::path& folder, std::chrono::milliseconds wait) {
#ifndef _WIN32
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    const auto deadline = Clock::now() + wait;
    m_folderFd = ::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_fileFd = OpenLockFile(where, m_folderFd < 0);
    LockState folderState = LockState::Unavailable;
    if (m_folderFd >= 0) {
        folderState = Lock(m_folderFd, deadline);
    }
    LockState fileState = LockState::Unavailable;
    if (m_fileFd >= 0 && folderState != LockState::Busy) {
        fileState = Lock(m_fileFd, deadline);
    }
    if (folderState == LockState::Busy || fileState == LockState::Busy) {
        m_state = LockState::Busy;
    } else if (folderState == LockState::Locked || fileState == LockState::Locked) {
        m_state = LockState::Locked;
    }
    if (m_state != LockState::Locked) {
        release();
    }
#else
    (void)folder;
    (void)wait;
#endif
}

FolderLock::~FolderLock() {
    release();
}

void FolderLock::release() {
#ifndef _WIN32
    for (int* fd : {&m_fileFd, &m_folderFd}) {
        if (*fd >= 0) {
            ::flock(*fd, LOCK_UN);
            ::close(*fd);
            *fd = -1;
        }
    }
#endif
}

}  // namespace pelmio
