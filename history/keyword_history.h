#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_access.h"

// The keyword history file: one keyword per line, newest first, CR LF after
// each; nothing is ever trimmed or removed from it.
namespace pelmio {

inline constexpr const char* kHistoryFileName = "strlist.txt";
// The drop-down list shows at most this many lines.
inline constexpr std::size_t kHistoryListSize = 8;
// The longest keyword stored, in bytes.
inline constexpr std::size_t kMaxHistoryKeywordBytes = 999;

// The drop-down list for a history file's bytes: its lines in file order,
// each run of equal adjacent lines shown once, ending at the first empty
// line, at most kHistoryListSize of them. Text after the last CR LF is not
// a line.
std::vector<std::string> HistoryListFromBytes(std::string_view fileBytes);

// The keyword as it is stored: up to its first NUL, CR or LF (a line holds
// one keyword), cut to kMaxHistoryKeywordBytes at a character boundary.
std::string_view StoredKeyword(std::string_view keyword);

// The drop-down list for the file a save of keyword (non-empty) makes out
// of oldBytes, worked out without building that file in memory.
std::vector<std::string> HistoryListAfterSave(std::string_view keyword, std::string_view oldBytes);

enum class HistoryStatus {
    Ok,
    CannotOpen,  // read-only, a folder in its place, or no access: nothing done
    WriteError,  // the old file is kept whole
};

struct HistoryResult {
    HistoryStatus status = HistoryStatus::Ok;
    std::vector<std::string> list;  // the drop-down list, when status is Ok
    std::string message;
};

// The history file in one folder. Every operation reads the file afresh, so
// changes made by another program show up at once; a save reads, changes
// and replaces the file under the folder's lock, so two windows in one
// folder never lose each other's keywords.
class HistoryFile {
public:
    explicit HistoryFile(std::filesystem::path path, FileWriter& writer = DefaultFileWriter());

    // Puts the keyword in front of the file (created if missing), then
    // reads the drop-down list back.
    HistoryResult save(std::string_view keyword) const;
    // Reads the drop-down list; creates an empty file if there is none.
    HistoryResult load() const;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    FileWriter* m_writer;
};

}  // namespace pelmio
