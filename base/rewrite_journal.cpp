#include "base/rewrite_journal.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pelmio {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "PELMJRN1";
// Checked page by page: a kill ends a write at a page boundary, so every
// page of the file is wholly old or wholly new.
constexpr std::uint64_t kPageBytes = 4096;
// magic, device, inode, new length, old length, page count
constexpr std::size_t kHeaderBytes = 8 + 5 * 8;
constexpr std::uint64_t kFnvStart = 0xcbf29ce484222325ULL;

std::uint64_t Fnv(std::uint64_t hash, std::string_view bytes) {
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    return hash;
}

// The hash of a page's bytes, zero-padded to a whole page.
std::uint64_t PageHash(std::string_view bytes) {
    std::uint64_t hash = Fnv(kFnvStart, bytes);
    for (std::size_t i = bytes.size(); i < kPageBytes; ++i) {
        hash = hash * 0x100000001b3ULL;  // XOR with a zero byte changes nothing
    }
    return hash;
}

void PutNumber(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::uint64_t GetNumber(std::string_view bytes, std::size_t at) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::string JournalName(std::uint64_t device, std::uint64_t inode) {
    return "pelmio-journal-" + std::to_string(device) + "-" + std::to_string(inode);
}

#ifndef _WIN32
// The whole content of an open file, read from its start.
bool ReadAll(int fd, std::string& bytes) {
    bytes.clear();
    char buffer[64 * 1024];
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, at);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        at += got;
    }
}

bool WriteAllAt(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// Whether the file holds only what an interrupted rewrite from old to
// newContent can have left: each page old or new, the length between.
bool FitsTheRewrite(std::string_view file, std::string_view newContent, std::uint64_t oldLength,
                    std::string_view oldHashes) {
    const std::uint64_t shorter = std::min<std::uint64_t>(oldLength, newContent.size());
    const std::uint64_t longer = std::max<std::uint64_t>(oldLength, newContent.size());
    if (file.size() < shorter || file.size() > longer) {
        return false;
    }
    for (std::uint64_t at = 0; at < file.size(); at += kPageBytes) {
        const std::string_view page = file.substr(at, kPageBytes);
        const std::string_view fresh =
            at < newContent.size() ? newContent.substr(at, kPageBytes) : std::string_view();
        // Past the new content's end the page may hold zeros the space
        // reservation put there.
        const std::size_t common = std::min(page.size(), fresh.size());
        const bool isNew = page.substr(0, common) == fresh.substr(0, common) &&
                           std::all_of(page.begin() + static_cast<std::ptrdiff_t>(common),
                                       page.end(), [](char c) { return c == '\0'; });
        if (!isNew && PageHash(page) != GetNumber(oldHashes, (at / kPageBytes) * 8)) {
            return false;
        }
    }
    return true;
}
#endif

}  // namespace

fs::path JournalPathBeside(const fs::path& file, std::uint64_t device, std::uint64_t inode) {
    return file.parent_path() / ("." + JournalName(device, inode));
}

fs::path JournalPathInStateFolder(std::uint64_t device, std::uint64_t inode) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    fs::path folder;
    if (state != nullptr && fs::path(state).is_absolute()) {
        folder = fs::path(state) / "pelmio";
    } else if (home != nullptr && fs::path(home).is_absolute()) {
        folder = fs::path(home) / ".local" / "state" / "pelmio";
    } else {
        return {};
    }
    return folder / JournalName(device, inode);
}

#ifndef _WIN32
JournalResult WriteRewriteJournal(const fs::path& file, int fd, std::uint64_t device,
                                  std::uint64_t inode, std::FILE* staged, std::uint64_t size,
                                  FileWriter& writer) {
    JournalResult result;
    std::string old;
    if (!ReadAll(fd, old)) {
        result.write = {FileStatus::ReadError, "cannot read " + file.string()};
        return result;
    }
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    if (::access(folder.c_str(), W_OK) == 0) {
        result.path = JournalPathBeside(file, device, inode);
    } else {
        result.path = JournalPathInStateFolder(device, inode);
        std::error_code error;
        if (!result.path.empty()) {
            fs::create_directories(result.path.parent_path(), error);
        }
    }
    // Always a new file: a name left there (a journal already dealt with,
    // or a link someone put there) is never written through.
    if (!result.path.empty()) {
        ::unlink(result.path.c_str());
    }
    const int journalFd = result.path.empty()
                              ? -1
                              : ::open(result.path.c_str(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    std::FILE* journal = journalFd >= 0 ? ::fdopen(journalFd, "wb") : nullptr;
    if (journal == nullptr) {
        if (journalFd >= 0) {
            ::close(journalFd);
        }
        result.write = {FileStatus::CannotOpen, "cannot make a journal for " + file.string()};
        result.path.clear();
        return result;
    }
    const std::uint64_t pages =
        (std::max<std::uint64_t>(old.size(), size) + kPageBytes - 1) / kPageBytes;
    std::string head(kMagic);
    PutNumber(head, device);
    PutNumber(head, inode);
    PutNumber(head, size);
    PutNumber(head, old.size());
    PutNumber(head, pages);
    for (std::uint64_t page = 0; page < pages; ++page) {
        const std::uint64_t at = page * kPageBytes;
        PutNumber(head, PageHash(at < old.size() ? std::string_view(old).substr(at, kPageBytes)
                                                 : std::string_view()));
    }
    std::uint64_t hash = Fnv(kFnvStart, head);
    errno = 0;
    bool written = writer.Write(journal, head);
    std::rewind(staged);
    std::vector<char> buffer(64 * 1024);
    while (written) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), staged);
        if (got == 0) {
            written = !std::ferror(staged);
            break;
        }
        hash = Fnv(hash, {buffer.data(), got});
        written = writer.Write(journal, {buffer.data(), got});
    }
    std::string trailer;
    PutNumber(trailer, hash);
    written = written && writer.Write(journal, trailer) && writer.Sync(journal);
    const int error = errno;
    written = std::fclose(journal) == 0 && written;
    // The journal's name must last through a power loss, as its content.
    written = written && writer.SyncFolder(result.path.parent_path());
    if (!written) {
        ::unlink(result.path.c_str());
        result.write = {error == ENOSPC ? FileStatus::NoSpace : FileStatus::WriteError,
                        "cannot write the journal for " + file.string()};
    }
    return result;
}

void RemoveJournal(const fs::path& journal) {
    ::unlink(journal.c_str());
}

Recovery RecoverInterruptedRewrite(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return Recovery::None;
    }
    const auto device = static_cast<std::uint64_t>(info.st_dev);
    const auto inode = static_cast<std::uint64_t>(info.st_ino);
    Recovery recovery = Recovery::None;
    for (const fs::path& journalPath :
         {JournalPathBeside(path, device, inode), JournalPathInStateFolder(device, inode)}) {
        if (journalPath.empty()) {
            continue;
        }
        const int journalFd = ::open(journalPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (journalFd < 0) {
            continue;
        }
        std::string journal;
        const bool read = ReadAll(journalFd, journal);
        ::close(journalFd);
        // Removed once it is applied and synced, or found not to fit.
        recovery = Recovery::Discarded;
        if (!read || journal.size() < kHeaderBytes + 8 ||
            std::string_view(journal).substr(0, kMagic.size()) != kMagic ||
            GetNumber(journal, 8) != device || GetNumber(journal, 16) != inode) {
            RemoveJournal(journalPath);
            continue;
        }
        const std::uint64_t newLength = GetNumber(journal, 24);
        const std::uint64_t oldLength = GetNumber(journal, 32);
        const std::uint64_t pages = GetNumber(journal, 40);
        const std::uint64_t expectedPages =
            (std::max(oldLength, newLength) + kPageBytes - 1) / kPageBytes;
        // Lengths no journal of this size can hold are checked first, so the
        // sum below cannot overflow.
        if (newLength > journal.size() || oldLength > (std::uint64_t{1} << 48) ||
            pages != expectedPages || pages > journal.size() / 8 ||
            journal.size() != kHeaderBytes + pages * 8 + newLength + 8 ||
            Fnv(kFnvStart, std::string_view(journal).substr(0, journal.size() - 8)) !=
                GetNumber(journal, journal.size() - 8)) {
            RemoveJournal(journalPath);  // cut off before it was synced: the file is untouched
            continue;
        }
        const std::string_view hashes = std::string_view(journal).substr(kHeaderBytes, pages * 8);
        const std::string_view content =
            std::string_view(journal).substr(kHeaderBytes + pages * 8, newLength);
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            continue;  // kept for a later try by someone who may write the file
        }
        std::string file;
        bool done = ReadAll(fd, file);
        if (done && FitsTheRewrite(file, content, oldLength, hashes)) {
            done = file == content ||
                   (WriteAllAt(fd, content) &&
                    ::ftruncate(fd, static_cast<off_t>(newLength)) == 0 && ::fsync(fd) == 0);
            recovery = done ? Recovery::Finished : recovery;
        }
        ::close(fd);
        if (done) {
            RemoveJournal(journalPath);
        }
    }
    return recovery;
}
#else
JournalResult WriteRewriteJournal(const fs::path&, int, std::uint64_t, std::uint64_t, std::FILE*,
                                  std::uint64_t, FileWriter&) {
    return {};
}

void RemoveJournal(const fs::path&) {}

Recovery RecoverInterruptedRewrite(const fs::path&) {
    return Recovery::None;
}
#endif

}  // namespace pelmio
