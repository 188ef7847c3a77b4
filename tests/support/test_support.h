#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_access.h"
#include "dict/entry_table.h"

namespace pelmio::testing {

// Writes the first bytesBeforeFailure bytes, then fails, as a full disk
// would.
class FailingWriter : public FileWriter {
public:
    explicit FailingWriter(std::size_t bytesBeforeFailure) : m_left(bytesBeforeFailure) {}
    bool Write(std::FILE* file, std::string_view bytes) override;

private:
    std::size_t m_left;
};

// Writes the first bytesBeforeFailure bytes, then fails with ENOSPC, as a
// full disk does; full() false lets every write through again.
class FullDiskWriter : public FileWriter {
public:
    explicit FullDiskWriter(std::size_t bytesBeforeFailure = 0) : m_left(bytesBeforeFailure) {}
    bool Write(std::FILE* file, std::string_view bytes) override;
    void setFull(bool full) { m_full = full; }

private:
    std::size_t m_left;
    bool m_full = true;
};

// Renames fail, as on a file system that refuses them part way.
class FailingRenameWriter : public FileWriter {
public:
    bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
};

// No new file can be made, as in a folder the process may not write to.
class NoNewFilesWriter : public FileWriter {
public:
    std::FILE* CreateNew(const std::filesystem::path& path) override;
};

// Records the file syncs, renames and folder syncs, in order. A file sync
// names the file by its inode, which it keeps through a rename, so a test
// can tell which file was synced: see SyncOf.
class RecordingWriter : public FileWriter {
public:
    bool Sync(std::FILE* file) override;
    bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    bool SyncFolder(const std::filesystem::path& folder) override;
    std::vector<std::string> events;

    // The event a sync of the file now at path recorded.
    static std::string SyncOf(const std::filesystem::path& path);
};

// A file of the given size whose bytes after the first ones are a hole:
// it takes no disk space and reads as NUL bytes.
void WriteSparseFile(const std::filesystem::path& path, std::string_view first, std::uint64_t size);

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// The user and group nobody, whom tests run as to be another user.
inline constexpr unsigned kNobody = 65534;
// True when the tests run as root, who can become another user.
bool RunningAsRoot();
// Runs check in a child process as nobody and gives what it returned;
// false when the child could not become nobody. Only for root.
bool AsNobody(const std::function<bool()>& check);

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);

// UTF-8 to code page 932 bytes; the text must be representable.
std::string Sjis(std::string_view utf8);

// Lines shaped like a real dictionary's: ASCII headwords (some of them
// phrases), Japanese meanings, base forms and pronunciation codes, about 40
// to 80 bytes each. The same seed gives the same lines.
std::vector<std::string> GenerateDictionaryLines(std::size_t count, std::uint32_t seed);

// Lines joined with CR LF after each.
std::string JoinCrLf(const std::vector<std::string>& lines);

// The index of the line of table that holds byte offset of its text,
// which must lie inside a line or on its NUL.
std::size_t LineAt(const EntryTable& table, std::size_t offset);

}  // namespace pelmio::testing
