#include "base/file_access.h"

#include <atomic>
#include <chrono>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#else
#include <fstream>
#endif

namespace pelmio {
namespace fs = std::filesystem;

namespace {

ReadResult Failure(FileStatus status, std::string message) {
    ReadResult result;
    result.status = status;
    result.message = std::move(message);
    return result;
}

#ifndef _WIN32
ReadResult ReadRegularFile(const fs::path& path) {
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Failure(FileStatus::CannotOpen, std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Failure(FileStatus::CannotOpen, "not a regular file");
    }
    ReadResult result;
    // The size is only a hint: the file may change while we read it.
    result.bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == result.bytes.size()) {
            result.bytes.resize(result.bytes.size() * 2);
        }
        const ssize_t got = ::read(fd, result.bytes.data() + used, result.bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const std::string reason = std::strerror(errno);
            ::close(fd);
            return Failure(FileStatus::ReadError, reason);
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    ::close(fd);
    result.bytes.resize(used);
    return result;
}
#else
ReadResult ReadRegularFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return Failure(FileStatus::CannotOpen, "not a regular file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Failure(FileStatus::CannotOpen, "cannot open");
    }
    ReadResult result;
    result.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return Failure(FileStatus::ReadError, "read error");
    }
    return result;
}
#endif

fs::path TemporaryPathBeside(const fs::path& path) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
#ifndef _WIN32
    const long process = static_cast<long>(::getpid());
#else
    const long process = 0;
#endif
    fs::path temporary = path;
    temporary += ".tmp-" + std::to_string(process) + "-" + std::to_string(counter++) + "-" +
                 std::to_string(ticks % 1000000007);
    return temporary;
}

std::FILE* CreateExclusive(const fs::path& path, const fs::path& like) {
#ifndef _WIN32
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    // Keep the permissions of the file being replaced.
    struct stat info {};
    if (::stat(like.c_str(), &info) == 0) {
        ::fchmod(fd, info.st_mode & 07777);
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
#else
    (void)like;
    return std::fopen(path.string().c_str(), "wbx");
#endif
}

}  // namespace

ReadResult ReadWholeFile(const fs::path& path) {
    return ReadRegularFile(path);
}

bool FileWriter::Write(std::FILE* file, std::string_view bytes) {
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FileWriter::Sync(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return false;
    }
#ifndef _WIN32
    return ::fsync(::fileno(file)) == 0;
#else
    return true;
#endif
}

FileWriter& DefaultFileWriter() {
    static FileWriter writer;  // stateless
    return writer;
}

bool IsProtectedTarget(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) {
        return false;
    }
    // A folder, a FIFO or a device in the file's place is never replaced.
    if (!fs::is_regular_file(status)) {
        return true;
    }
    // Checked on the mode bits, not only by trying to open: the
    // administrator can write to any file, but a file marked read-only
    // must stay as it is.
    constexpr auto kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & kAnyWrite) == fs::perms::none) {
        return true;
    }
#ifndef _WIN32
    return ::access(path.c_str(), W_OK) != 0;
#else
    return false;
#endif
}

WriteResult ReplaceFileAtomically(const fs::path& path, std::string_view bytes,
                                  FileWriter& writer) {
    return ReplaceFileAtomically(path, {bytes}, writer);
}

WriteResult ReplaceFileAtomically(const fs::path& link,
                                  std::initializer_list<std::string_view> pieces,
                                  FileWriter& writer) {
    if (IsProtectedTarget(link)) {
        return {FileStatus::ReadOnly, "target is read-only or not a regular file"};
    }
    // Through a symbolic link, replace the file it names and keep the link.
    const fs::path path = ResolveLinks(link);
    std::error_code error;
    if (fs::is_symlink(path, error)) {
        return {FileStatus::CannotOpen, "too many levels of links at " + link.string()};
    }
    const fs::path temporary = TemporaryPathBeside(path);
    std::FILE* file = CreateExclusive(temporary, path);
    if (file == nullptr) {
        return {FileStatus::CannotOpen, "cannot create a file beside " + path.string()};
    }
    bool written = true;
    for (const std::string_view piece : pieces) {
        written = written && writer.Write(file, piece);
    }
    written = written && writer.Sync(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        fs::remove(temporary, error);
        return {FileStatus::WriteError, "write failed"};
    }
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        return {FileStatus::WriteError, "rename failed"};
    }
    return {};
}

fs::path ResolveLinks(const fs::path& path) {
    fs::path resolved = path;
    std::error_code error;
    // A bounded number of steps, so a loop of links ends.
    for (int step = 0; step < 40 && fs::is_symlink(resolved, error); ++step) {
        const fs::path target = fs::read_symlink(resolved, error);
        if (error) {
            break;
        }
        resolved = target.is_absolute() ? target : resolved.parent_path() / target;
    }
    return resolved;
}

}  // namespace pelmio
