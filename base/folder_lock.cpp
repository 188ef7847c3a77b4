#include "base/folder_lock.h"

#include <algorithm>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace pelmio {
namespace fs = std::filesystem;

FolderLock::FolderLock(const fs::path& folder) : FolderLock(folder, std::chrono::milliseconds(0)) {}

FolderLock::FolderLock(const fs::path& folder, std::chrono::milliseconds wait) {
#ifndef _WIN32
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    m_fd = ::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_state = LockState::Locked;
            return;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EWOULDBLOCK) {
            break;  // the file system cannot lock: nobody else can hold it
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            m_state = LockState::Busy;
            break;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
    ::close(m_fd);
    m_fd = -1;
#else
    (void)folder;
    (void)wait;
#endif
}

FolderLock::~FolderLock() {
#ifndef _WIN32
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
#endif
}

}  // namespace pelmio
