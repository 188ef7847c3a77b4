#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_access.h"

// The keyword history file: one keyword per line, newest first, CR LF after
// each. Nothing is removed from it, except that a save keeps only its newest
// kHistoryMaxBytes: far more keywords than anyone types, and a damaged file
// stops growing.
namespace pelmio {

inline constexpr const char* kHistoryFileName = "strlist.txt";
// The drop-down list shows at most this many lines.
inline constexpr std::size_t kHistoryListSize = 8;
// The longest keyword stored, in bytes.
inline constexpr std::size_t kMaxHistoryKeywordBytes = 999;
// The most a save leaves in the file, cut after a whole line.
inline constexpr std::uint64_t kHistoryMaxBytes = 16 * 1024 * 1024;

// Builds the drop-down list from the file's bytes fed in pieces, so the
// file is read only as far as the list needs. A line longer than
// kMaxHistoryKeywordBytes shows its first ones, cut at a character boundary.
class HistoryListReader {
public:
    // Returns false once the list is complete: more bytes change nothing.
    bool feed(std::string_view bytes);
    bool done() const { return m_done; }
    const std::vector<std::string>& list() const { return m_list; }
    std::vector<std::string> take() { return std::move(m_list); }

private:
    void endLine();

    std::vector<std::string> m_list;
    std::string m_line;              // the line's first bytes, up to a CR LF
    std::uint64_t m_lineLength = 0;  // all its bytes so far
    bool m_lastCr = false;           // its last byte so far is a CR
    bool m_done = false;
};

// The drop-down list for a history file's bytes: its lines in file order
// (each cut to kMaxHistoryKeywordBytes), each run of equal adjacent lines
// shown once, ending at the first empty line, at most kHistoryListSize of
// them. Text after the last CR LF is not a line.
std::vector<std::string> HistoryListFromBytes(std::string_view fileBytes);

// The keyword as it is stored: up to its first NUL, CR or LF (a line holds
// one keyword), cut to kMaxHistoryKeywordBytes at a character boundary.
std::string_view StoredKeyword(std::string_view keyword);

enum class HistoryStatus {
    Ok,
    CannotOpen,   // read-only, a folder in its place, or no access: nothing done
    Busy,         // another program holds the folder's lock: nothing done, try again
    DiskFull,     // the old file is kept whole
    WriteError,   // the old file is kept whole
    ForeignLink,  // the file is another user's link, or names another user's file: not written
};

struct HistoryResult {
    HistoryStatus status = HistoryStatus::Ok;
    std::vector<std::string> list;  // the drop-down list, when status is Ok
    std::string message;
    bool withoutLock = false;  // written where no lock of any kind could be had
};

// The history file in one folder. Every operation reads the file afresh, so
// changes made by another program show up at once; a save reads, changes
// and replaces the file under the folder's lock, never without it, so two
// windows in one folder never lose each other's keywords.
class HistoryFile {
public:
    explicit HistoryFile(std::filesystem::path path, FileWriter& writer = DefaultFileWriter(),
                         std::uint64_t maxBytes = kHistoryMaxBytes);

    // Puts the keyword in front of the file (created if missing), copying
    // the old lines behind it a piece at a time, then gives the drop-down
    // list. Waits at most lockWait for the folder's lock; Busy when another
    // program still holds it.
    HistoryResult save(std::string_view keyword,
                       std::chrono::milliseconds lockWait = std::chrono::milliseconds(0)) const;
    // Reads the drop-down list, only as far as it needs; creates an empty
    // file if there is none.
    HistoryResult load() const;

    const std::filesystem::path& path() const { return m_path; }

private:
    HistoryResult saveHoldingLock(std::string_view keyword) const;

    std::filesystem::path m_path;
    FileWriter* m_writer;
    std::uint64_t m_maxBytes;
};

}  // namespace pelmio
