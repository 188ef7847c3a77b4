#include "base/file_access.h"

#include "base/rewrite_journal.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif
#include <unistd.h>
#else
#include <io.h>
#endif

namespace pelmio {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr const char* kTemporaryMark = ".tmp-";

bool IsNoSpace(int error) {
#ifdef EDQUOT
    if (error == EDQUOT) {
        return true;
    }
#endif
    return error == ENOSPC;
}

WriteResult WriteFailure(int error, std::string what) {
    if (IsNoSpace(error)) {
        return {FileStatus::NoSpace, what + ": no space left"};
    }
    return {FileStatus::WriteError,
            error != 0 ? what + ": " + std::strerror(error) : std::move(what)};
}

fs::path TemporaryPathBeside(const fs::path& path) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
#ifndef _WIN32
    const long process = static_cast<long>(::getpid());
#else
    const long process = 0;
#endif
    fs::path temporary = path;
    temporary += kTemporaryMark + std::to_string(process) + "-" + std::to_string(counter++) + "-" +
                 std::to_string(ticks % 1000000007);
    return temporary;
}

// Copies staged (read from its start) to target from its start.
bool CopyFromStart(std::FILE* staged, std::FILE* target, FileWriter& writer, int& error) {
    std::rewind(staged);
    if (std::fseek(target, 0, SEEK_SET) != 0) {
        error = errno;
        return false;
    }
    std::vector<char> buffer(kChunkBytes);
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), staged);
        if (got == 0) {
            error = std::ferror(staged) ? EIO : 0;
            return !std::ferror(staged);
        }
        errno = 0;
        if (!writer.Write(target, {buffer.data(), got})) {
            error = errno;
            return false;
        }
    }
}

#ifndef _WIN32
// Copies every extended attribute of the file at from (the POSIX access
// list is one) onto fd, so a replaced file is shared as it was. Those the
// file system or the process may not set are passed over.
void CopyExtendedAttributes(const fs::path& from, int fd) {
#ifdef __linux__
    const int source = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (source < 0) {
        return;
    }
    std::vector<char> names;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = ::flistxattr(source, nullptr, 0);
        if (size <= 0) {
            break;
        }
        names.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(source, names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            break;
        }
        names.clear();
        if (errno != ERANGE) {
            break;  // ERANGE: one was added meanwhile; ask again
        }
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size();) {
        const char* name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t size = ::fgetxattr(source, name, nullptr, 0);
        if (size < 0) {
            continue;
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(source, name, value.data(), value.size());
        if (got >= 0) {
            ::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(got), 0);
        }
    }
    ::close(source);
#else
    (void)from;
    (void)fd;
#endif
}

// A file the administrator makes in another user's folder goes to that
// user, or the user could no longer write it.
void GiveToFolderOwner(int fd, const fs::path& folder) {
    if (::geteuid() != 0) {
        return;
    }
    struct stat owner {};
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    if (::stat(where.c_str(), &owner) == 0 && owner.st_uid != 0) {
        [[maybe_unused]] const int given = ::fchown(fd, owner.st_uid, owner.st_gid);
    }
}

bool TruncateFile(std::FILE* file, std::uint64_t size) {
    return std::fflush(file) == 0 && ::ftruncate(::fileno(file), static_cast<off_t>(size)) == 0 &&
           std::fseek(file, 0, SEEK_END) == 0;
}

// Writes the staged content over the file itself, for a file that must
// keep its inode. Its space is reserved first, so a full disk stops the
// write before any old byte is changed.
WriteResult RewriteInPlace(const fs::path& path, std::FILE* staged, std::uint64_t size,
                           FileWriter& writer) {
    // O_NOFOLLOW: the links were checked; one put in its place since is not.
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return {FileStatus::CannotOpen, "cannot open " + path.string()};
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return {FileStatus::CannotOpen, "not a regular file"};
    }
    // First the new content goes to a journal, so a kill part way through
    // the rewrite can be finished later instead of leaving a torn file.
    const JournalResult journal =
        WriteRewriteJournal(path, fd, static_cast<std::uint64_t>(info.st_dev),
                            static_cast<std::uint64_t>(info.st_ino), staged, size, writer);
    // Where no journal can be made at all (no folder to keep it in may be
    // written), the rewrite goes on without one rather than not at all.
    if (journal.write.status != FileStatus::Ok && journal.write.status != FileStatus::CannotOpen) {
        ::close(fd);
        return journal.write;
    }
    if (size > static_cast<std::uint64_t>(info.st_size)) {
        const int reserved = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
        // Some file systems cannot reserve; the write then goes on without.
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
            ::close(fd);
            RemoveJournal(journal.path);  // nothing of the file was changed
            return WriteFailure(reserved, "cannot reserve space for " + path.string());
        }
    }
    std::FILE* target = ::fdopen(fd, "r+b");
    if (target == nullptr) {
        ::close(fd);
        return {FileStatus::CannotOpen, "cannot open " + path.string()};
    }
    int error = 0;
    bool written = CopyFromStart(staged, target, writer, error);
    written = written && TruncateFile(target, size);
    written = written && writer.Sync(target);
    if (!written && error == 0) {
        error = errno;
    }
    const bool closed = std::fclose(target) == 0;
    if (!written || !closed) {
        // The journal stays: the next save or start finishes the rewrite.
        return WriteFailure(error, "rewriting " + path.string() + " in place failed");
    }
    RemoveJournal(journal.path);
    return {};
}
#else
bool TruncateFile(std::FILE* file, std::uint64_t size) {
    return std::fflush(file) == 0 &&
           ::_chsize_s(::_fileno(file), static_cast<long long>(size)) == 0 &&
           std::fseek(file, 0, SEEK_END) == 0;
}
#endif

}  // namespace

InputFile::InputFile(const fs::path& path) {
#ifndef _WIN32
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        m_status = FileStatus::CannotOpen;
        m_message = std::strerror(errno);
        return;
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        m_status = FileStatus::CannotOpen;
        m_message = "not a regular file";
        return;
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
#else
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        m_status = FileStatus::CannotOpen;
        m_message = "not a regular file";
        return;
    }
    m_file = ::_wfopen(path.c_str(), L"rb");
    if (m_file == nullptr) {
        m_status = FileStatus::CannotOpen;
        m_message = "cannot open";
        return;
    }
    m_size = fs::file_size(path, error);
#endif
}

InputFile::~InputFile() {
#ifndef _WIN32
    if (m_fd >= 0) {
        ::close(m_fd);
    }
#else
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
#endif
}

std::ptrdiff_t InputFile::read(char* buffer, std::size_t capacity) {
#ifndef _WIN32
    if (m_fd < 0) {
        return -1;
    }
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, capacity);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            m_message = std::strerror(errno);
        }
        return got;
    }
#else
    if (m_file == nullptr) {
        return -1;
    }
    const std::size_t got = std::fread(buffer, 1, capacity, m_file);
    return got == 0 && std::ferror(m_file) ? -1 : static_cast<std::ptrdiff_t>(got);
#endif
}

ReadResult ReadFilePrefix(const fs::path& path, std::size_t maxBytes) {
    ReadResult result;
    InputFile file(path);
    if (file.status() != FileStatus::Ok) {
        result.status = file.status();
        result.message = file.message();
        return result;
    }
    // The size is only a hint: the file may grow or shrink while we read.
    result.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), maxBytes)));
    std::size_t used = 0;
    while (used < maxBytes) {
        if (used == result.bytes.size()) {
            result.bytes.resize(std::min(maxBytes, std::max<std::size_t>(used * 2, kChunkBytes)));
        }
        const std::ptrdiff_t got =
            file.read(result.bytes.data() + used, result.bytes.size() - used);
        if (got < 0) {
            result.bytes.clear();
            result.status = FileStatus::ReadError;
            result.message = file.message();
            return result;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    result.bytes.resize(used);
    return result;
}

ReadResult ReadWholeFile(const fs::path& path) {
    return ReadFilePrefix(path, static_cast<std::size_t>(-1) / 2);
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

std::FILE* FileWriter::CreateNew(const fs::path& path) {
#ifndef _WIN32
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "w+b");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
#else
    return ::_wfopen(path.c_str(), L"w+bx");
#endif
}

bool FileWriter::Rename(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::rename(from, to, error);
    errno = error.value();
    return !error;
}

bool FileWriter::SyncFolder(const fs::path& folder) {
#ifndef _WIN32
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    const int fd = ::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
#else
    (void)folder;
    return true;
#endif
}

FileWriter& DefaultFileWriter() {
    static FileWriter writer;  // stateless
    return writer;
}

bool OutputFile::write(std::string_view bytes) {
    errno = 0;
    if (!m_writer->Write(m_file, bytes)) {
        m_error = errno != 0 ? errno : EIO;
        return false;
    }
    m_size += bytes.size();
    return true;
}

bool OutputFile::truncate(std::uint64_t size) {
    if (size >= m_size) {
        return true;
    }
    if (!TruncateFile(m_file, size)) {
        m_error = errno != 0 ? errno : EIO;
        return false;
    }
    m_size = size;
    return true;
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

WriteResult ReplaceFile(const fs::path& link, const std::function<bool(OutputFile&)>& produce,
                        FileWriter& writer) {
    // Through a symbolic link, replace the file it names and keep the link.
    const LinkTarget target = FollowOwnLinks(link);
    if (target.status != FileStatus::Ok) {
        return {target.status, target.message};
    }
    const fs::path& path = target.path;
    // A rewrite in place that a kill cut short is finished (or its journal
    // dropped) before anything reads the file to change it.
    RecoverInterruptedRewrite(path);
    if (IsProtectedTarget(path)) {
        return {FileStatus::ReadOnly, "target is read-only or not a regular file"};
    }
    std::error_code error;
#ifndef _WIN32
    struct stat old {};
    // Not stat: a link put in the file's place since is never followed.
    const bool exists = ::lstat(path.c_str(), &old) == 0;
    if (exists && S_ISLNK(old.st_mode)) {
        return {FileStatus::CannotOpen, path.string() + " became a link"};
    }
    // Other names of the file must keep seeing it: never give it a new inode.
    bool inPlace = exists && old.st_nlink > 1;
#else
    [[maybe_unused]] const bool exists = fs::exists(path, error);
    const bool inPlace = false;
#endif
    const fs::path temporary = TemporaryPathBeside(path);
    std::FILE* file = nullptr;
    if (!inPlace) {
        file = writer.CreateNew(temporary);
        if (file == nullptr) {
            const int reason = errno;
#ifndef _WIN32
            // A folder we may not write to, holding a file we may: the file
            // itself is all there is to write.
            inPlace = exists && (reason == EACCES || reason == EPERM) &&
                      ::access(path.c_str(), W_OK) == 0;
#endif
            if (!inPlace) {
                if (IsNoSpace(reason)) {
                    return WriteFailure(reason, "cannot create a file beside " + path.string());
                }
                return {FileStatus::CannotOpen, "cannot create a file beside " + path.string()};
            }
        }
    }
#ifndef _WIN32
    if (inPlace) {
        // Staged outside the folder, so the old bytes can still be read
        // while the new content is made.
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> staged(std::tmpfile(), &std::fclose);
        if (!staged) {
            return WriteFailure(errno, "cannot stage " + path.string());
        }
        OutputFile out(staged.get(), writer);
        if (!produce(out) || std::fflush(staged.get()) != 0) {
            return WriteFailure(out.error(), "writing " + path.string() + " failed");
        }
        return RewriteInPlace(path, staged.get(), out.size(), writer);
    }
    if (exists) {
        // Keep the owner and group (allowed to the administrator, or to the
        // owner for a group of theirs), then the mode, which chown may clear,
        // then the extended attributes, the access list among them.
        const int fd = ::fileno(file);
        [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
        ::fchmod(fd, old.st_mode & 07777);
        CopyExtendedAttributes(path, fd);
    } else {
        GiveToFolderOwner(::fileno(file), path.parent_path());
    }
#endif
    OutputFile out(file, writer);
    bool written = produce(out);
    int reason = out.error();
    errno = 0;
    written = written && writer.Sync(file);
    if (reason == 0 && !written) {
        reason = errno;
    }
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        fs::remove(temporary, error);
        return WriteFailure(reason, "writing " + path.string() + " failed");
    }
    if (!writer.Rename(temporary, path)) {
        reason = errno;
        fs::remove(temporary, error);
        return WriteFailure(reason, "renaming over " + path.string() + " failed");
    }
    // The rename is in the folder's own data: without this, a power loss
    // may bring back the old file, or none.
    writer.SyncFolder(path.parent_path());
    return {};
}

WriteResult ReplaceFileAtomically(const fs::path& path, std::string_view bytes,
                                  FileWriter& writer) {
    return ReplaceFileAtomically(path, {bytes}, writer);
}

WriteResult ReplaceFileAtomically(const fs::path& path,
                                  std::initializer_list<std::string_view> pieces,
                                  FileWriter& writer) {
    std::size_t size = 0;
    for (const std::string_view piece : pieces) {
        size += piece.size();
    }
    // Rewriting a file with what it holds changes nothing but its inode and
    // time, and may overwrite a file changed meanwhile by another program.
    const ReadResult old = ReadFilePrefix(path, size + 1);
    if (old.status == FileStatus::Ok && old.bytes.size() == size) {
        std::size_t at = 0;
        bool same = true;
        for (const std::string_view piece : pieces) {
            same = same && old.bytes.compare(at, piece.size(), piece) == 0;
            at += piece.size();
        }
        if (same) {
            return {};
        }
    }
    return ReplaceFile(
        path,
        [pieces](OutputFile& out) {
            for (const std::string_view piece : pieces) {
                if (!out.write(piece)) {
                    return false;
                }
            }
            return true;
        },
        writer);
}

std::size_t RemoveStaleTemporaryFiles(const fs::path& link) {
    const fs::path path = ResolveLinks(link);
    const std::string prefix = path.filename().string() + kTemporaryMark;
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    std::vector<fs::path> stale;
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        // process-counter-clock, each all digits.
        long long fields[3] = {};
        std::size_t field = 0;
        bool digits = false;
        bool shaped = true;
        for (std::size_t i = prefix.size(); i < name.size() && shaped; ++i) {
            const char c = name[i];
            if (c >= '0' && c <= '9' && fields[field] < 1'000'000'000'000LL) {
                fields[field] = fields[field] * 10 + (c - '0');
                digits = true;
            } else if (c == '-' && digits && field < 2) {
                ++field;
                digits = false;
            } else {
                shaped = false;
            }
        }
        if (!shaped || field != 2 || !digits) {
            continue;
        }
        std::error_code statError;
        if (!it->is_regular_file(statError) || it->is_symlink(statError)) {
            continue;
        }
        const auto age = fs::file_time_type::clock::now() - it->last_write_time(statError);
        bool running = false;
#ifndef _WIN32
        const auto process = static_cast<pid_t>(fields[0]);
        running = process > 0 && static_cast<long long>(process) == fields[0] &&
                  (::kill(process, 0) == 0 || errno == EPERM);
#endif
        if (!running || (!statError && age > std::chrono::hours(1))) {
            stale.push_back(it->path());
        }
    }
    std::size_t removed = 0;
    for (const fs::path& file : stale) {
        removed += fs::remove(file, error) ? 1 : 0;
    }
    return removed;
}

LinkTarget FollowOwnLinks(const fs::path& path) {
    fs::path resolved = path;
    std::error_code error;
#ifndef _WIN32
    const uid_t user = ::geteuid();
    const auto refused = [&path](const fs::path& at) {
        return LinkTarget{
            FileStatus::ForeignLink, path,
            "not following " + at.string() + ": it or what it names is another user's"};
    };
    bool followed = false;
    // A bounded number of steps, so a loop of links ends.
    for (int step = 0;; ++step) {
        struct stat info {};
        if (::lstat(resolved.c_str(), &info) != 0) {
            // Nothing there yet: it will be made in the folder the link names.
            if (followed) {
                const fs::path parent =
                    resolved.parent_path().empty() ? fs::path(".") : resolved.parent_path();
                struct stat folder {};
                if (::stat(parent.c_str(), &folder) == 0 && folder.st_uid != user) {
                    return refused(resolved);
                }
            }
            return {FileStatus::Ok, resolved, {}};
        }
        if (!S_ISLNK(info.st_mode)) {
            if (followed && info.st_uid != user) {
                return refused(resolved);
            }
            return {FileStatus::Ok, resolved, {}};
        }
        if (info.st_uid != user) {
            return refused(resolved);
        }
        if (step == 40) {
            return {FileStatus::CannotOpen, path, "too many levels of links at " + path.string()};
        }
        const fs::path target = fs::read_symlink(resolved, error);
        if (error) {
            return {FileStatus::CannotOpen, path, error.message()};
        }
        resolved = target.is_absolute() ? target : resolved.parent_path() / target;
        followed = true;
    }
#else
    for (int step = 0; step < 40 && fs::is_symlink(resolved, error); ++step) {
        const fs::path target = fs::read_symlink(resolved, error);
        if (error) {
            break;
        }
        resolved = target.is_absolute() ? target : resolved.parent_path() / target;
    }
    return {FileStatus::Ok, resolved, {}};
#endif
}

fs::path ResolveLinks(const fs::path& path) {
    return FollowOwnLinks(path).path;
}

}  // namespace pelmio
