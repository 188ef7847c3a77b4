#pragma once

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

// Reading regular files and replacing files atomically: a file Pelmio
// writes must never be left cut off by a crash or a full disk.
namespace pelmio {

enum class FileStatus {
    Ok,
    CannotOpen,  // missing, no access, or not a regular file
    ReadOnly,    // exists but is marked read-only, or is a folder
    ReadError,
    WriteError,
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

// Reads the whole of a regular file. Anything else (a folder, a FIFO, a
// device) is refused without being read, so it can never block or flood us.
ReadResult ReadWholeFile(const std::filesystem::path& path);

// Every byte Pelmio writes to a file goes through a writer, so tests can
// make a write fail part way as a full disk would.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Writes all of bytes or returns false.
    virtual bool Write(std::FILE* file, std::string_view bytes);
    // Flushes to the disk, so a rename never publishes an unwritten file.
    virtual bool Sync(std::FILE* file);
};

FileWriter& DefaultFileWriter();

// True when path names a file marked read-only or something that is not a
// regular file (a folder, a FIFO, a device): such a target is left alone
// rather than replaced.
bool IsProtectedTarget(const std::filesystem::path& path);

// Writes bytes to a new file beside path, then renames it over path (over
// the file a symbolic link names, keeping the link). On any failure path
// keeps its old content and the new file is removed. A protected target
// (see above) gives ReadOnly and is not touched.
WriteResult ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                                  FileWriter& writer = DefaultFileWriter());
// The same with the new content given in pieces, written one after another,
// so a large file need not be copied into one string first.
WriteResult ReplaceFileAtomically(const std::filesystem::path& path,
                                  std::initializer_list<std::string_view> pieces,
                                  FileWriter& writer = DefaultFileWriter());

// The file a path names after following symbolic links, even when that
// file does not exist yet; the path itself when it is no link.
std::filesystem::path ResolveLinks(const std::filesystem::path& path);

}  // namespace pelmio
