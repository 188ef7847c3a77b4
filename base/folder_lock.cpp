#include "base/folder_lock.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace pelmio {
namespace fs = std::filesystem;

FolderLock::FolderLock(const fs::path& folder) {
#ifndef _WIN32
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    m_fd = ::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        return;
    }
    // Never freeze the window for long on another program's lock.
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            break;
        }
        ::usleep(10'000);
    }
    ::close(m_fd);
    m_fd = -1;
#else
    (void)folder;
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
