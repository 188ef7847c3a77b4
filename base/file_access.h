#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

// Reading regular files a part at a time and replacing files safely: a file
// Pelmio writes must never be left cut off by a crash or a full disk, and no
// size of file may exhaust memory or freeze the window.
namespace pelmio {

enum class FileStatus {
    Ok,
    CannotOpen,  // missing, no access, or not a regular file
    ReadOnly,    // exists but is marked read-only, or is a folder
    ReadError,
    WriteError,
    NoSpace,      // the disk (or the user's quota) is full; the old file is whole
    Busy,         // another program holds the folder's lock: nothing done, try again
    ForeignLink,  // a link on the way, or what it names, is another user's: not followed
};

struct ReadResult {
    FileStatus status = FileStatus::Ok;
    std::string bytes;
    std::string message;  // for the developer; empty when status is Ok
};

struct WriteResult {
    FileStatus status = FileStatus::Ok;
    std::string message;
};

// A regular file open for reading. Anything else (a folder, a FIFO, a
// device) is refused without being read, so it can never block or flood us.
class InputFile {
public:
    explicit InputFile(const std::filesystem::path& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    FileStatus status() const { return m_status; }
    const std::string& message() const { return m_message; }
    // The size when it was opened; only a hint, the file may change.
    std::uint64_t size() const { return m_size; }
    // Reads up to capacity bytes; 0 at the end, -1 on a read error.
    std::ptrdiff_t read(char* buffer, std::size_t capacity);

private:
    FileStatus m_status = FileStatus::Ok;
    std::string m_message;
    std::uint64_t m_size = 0;
#ifndef _WIN32
    int m_fd = -1;
#else
    std::FILE* m_file = nullptr;
#endif
};

// The first maxBytes bytes of a regular file (all of it when shorter).
ReadResult ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes);
// The whole of a regular file, for files known to be small.
ReadResult ReadWholeFile(const std::filesystem::path& path);

// Every file operation that changes the disk goes through a writer, so tests
// can make it fail as a full disk, a failing rename or a locked folder would.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Writes all of bytes or returns false, with errno telling why.
    virtual bool Write(std::FILE* file, std::string_view bytes);
    // Flushes to the disk, so a rename never publishes an unwritten file.
    virtual bool Sync(std::FILE* file);
    // Creates a file that must not exist yet, for writing; null (errno set)
    // when it cannot be made.
    virtual std::FILE* CreateNew(const std::filesystem::path& path);
    // Renames from over to in one step.
    virtual bool Rename(const std::filesystem::path& from, const std::filesystem::path& to);
    // Makes a rename in the folder last through a power loss.
    virtual bool SyncFolder(const std::filesystem::path& folder);
};

FileWriter& DefaultFileWriter();

// The new content of a file being replaced, written a piece at a time.
class OutputFile {
public:
    OutputFile(std::FILE* file, FileWriter& writer) : m_file(file), m_writer(&writer) {}
    bool write(std::string_view bytes);
    // Cuts what was written back to size bytes.
    bool truncate(std::uint64_t size);
    std::uint64_t size() const { return m_size; }
    // errno of the failed write, 0 when none failed.
    int error() const { return m_error; }

private:
    std::FILE* m_file;
    FileWriter* m_writer;
    std::uint64_t m_size = 0;
    int m_error = 0;
};

// True when path names a file marked read-only or something that is not a
// regular file (a folder, a FIFO, a device): such a target is left alone
// rather than replaced.
bool IsProtectedTarget(const std::filesystem::path& path);

// Replaces the file at path (the file a symbolic link names, keeping the
// link; ForeignLink for a link FollowOwnLinks refuses) with what produce
// writes; produce returns false to give up, and the
// old file then stays. The new content goes to a new file beside the old
// one, which keeps the old file's owner, group and mode where the process
// may set them, and is renamed over it; the folder is synced after. Where
// that cannot be done (the file has other hard links, which must keep
// seeing it, or the folder is read-only but the file writable), the file is
// rewritten in place from a staged copy, after its space is reserved, and
// synced. A protected target gives ReadOnly and is not touched.
WriteResult ReplaceFile(const std::filesystem::path& path,
                        const std::function<bool(OutputFile&)>& produce,
                        FileWriter& writer = DefaultFileWriter());
// The same with the new content given in pieces, written one after another.
// A file that already holds exactly that content is not written at all.
WriteResult ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                                  FileWriter& writer = DefaultFileWriter());
WriteResult ReplaceFileAtomically(const std::filesystem::path& path,
                                  std::initializer_list<std::string_view> pieces,
                                  FileWriter& writer = DefaultFileWriter());

// Removes the files a replace of path left behind when its process was
// killed: only names of exactly the form replace uses beside the file
// (path's name, ".tmp-", process id, counter, clock), and only when that
// process is no longer running or the file is over an hour old (a process
// id may have been reused). Call it holding the folder's lock, so no save
// is writing one of them. Returns how many were removed.
std::size_t RemoveStaleTemporaryFiles(const std::filesystem::path& path);

// The file a path names after following symbolic links, even when that
// file does not exist yet. A link is followed only where the user running
// the program owns both the link and what it names (for a name that does
// not exist yet, its folder), as the kernel's protected_symlinks rule has
// it: otherwise another user's link could make this program, run by the
// administrator, write where that user may not. A refused link gives
// ForeignLink with the link itself as the path.
struct LinkTarget {
    FileStatus status = FileStatus::Ok;
    std::filesystem::path path;
    std::string message;
};
LinkTarget FollowOwnLinks(const std::filesystem::path& path);
// The path FollowOwnLinks gives, whether it followed the links or not.
std::filesystem::path ResolveLinks(const std::filesystem::path& path);

}  // namespace pelmio
