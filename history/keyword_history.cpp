#include "history/keyword_history.h"

#include "dict/cp932.h"

namespace pelmio {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Reads the file for an operation that may write it: a file that cannot be
// written is left alone, as is one that cannot be read; a missing file
// reads as empty.
HistoryResult ReadForUpdate(const std::filesystem::path& path, std::string& bytes, bool& exists) {
    HistoryResult result;
    if (IsProtectedTarget(path)) {
        result.status = HistoryStatus::CannotOpen;
        result.message = "read-only or not a file";
        return result;
    }
    std::error_code error;
    exists = std::filesystem::exists(std::filesystem::symlink_status(path, error));
    if (!exists) {
        bytes.clear();
        return result;
    }
    ReadResult file = ReadWholeFile(path);
    if (file.status != FileStatus::Ok) {
        result.status = HistoryStatus::CannotOpen;
        result.message = file.message;
        return result;
    }
    bytes = std::move(file.bytes);
    return result;
}

HistoryResult Written(const WriteResult& write, const std::string& bytes) {
    HistoryResult result;
    if (write.status == FileStatus::ReadOnly || write.status == FileStatus::CannotOpen) {
        result.status = HistoryStatus::CannotOpen;
    } else if (write.status != FileStatus::Ok) {
        result.status = HistoryStatus::WriteError;
    }
    result.message = write.message;
    if (result.status == HistoryStatus::Ok) {
        result.list = HistoryListFromBytes(bytes);
    }
    return result;
}

}  // namespace

std::vector<std::string> HistoryListFromBytes(std::string_view fileBytes) {
    std::vector<std::string> list;
    std::size_t start = 0;
    for (;;) {
        const std::size_t lineEnd = fileBytes.find(kLineEnd, start);
        if (lineEnd == std::string_view::npos) {
            break;
        }
        const std::string_view line = fileBytes.substr(start, lineEnd - start);
        start = lineEnd + kLineEnd.size();
        // The last line appended is the list's last: adjacent repeats show once.
        if (!list.empty() && list.back() == line) {
            continue;
        }
        if (line.empty() || list.size() == kHistoryListSize) {
            break;
        }
        list.emplace_back(line);
    }
    return list;
}

std::string_view StoredKeyword(std::string_view keyword) {
    keyword = keyword.substr(0, keyword.find_first_of(std::string_view("\0\r\n", 3)));
    return cp932::CutAtCharBoundary(keyword, kMaxHistoryKeywordBytes);
}

std::string PrependKeyword(std::string_view oldBytes, std::string_view keyword) {
    std::string bytes;
    if (!keyword.empty()) {
        bytes.reserve(keyword.size() + kLineEnd.size() + oldBytes.size());
        bytes.append(keyword).append(kLineEnd);
    }
    bytes.append(oldBytes);
    return bytes;
}

HistoryFile::HistoryFile(std::filesystem::path path, FileWriter& writer)
    : m_path(std::move(path)), m_writer(&writer) {}

HistoryResult HistoryFile::save(std::string_view keyword) const {
    const FolderLock lock(m_path.parent_path());
    std::string bytes;
    bool exists = false;
    if (HistoryResult read = ReadForUpdate(m_path, bytes, exists); read.status != HistoryStatus::Ok) {
        return read;
    }
    keyword = StoredKeyword(keyword);
    if (keyword.empty() && exists) {
        // Nothing to add: the file stays as it is.
        return Written({}, bytes);
    }
    const std::string updated = PrependKeyword(bytes, keyword);
    return Written(ReplaceFileAtomically(m_path, updated, *m_writer), updated);
}

HistoryResult HistoryFile::load() const {
    const FolderLock lock(m_path.parent_path());
    std::string bytes;
    bool exists = false;
    if (HistoryResult read = ReadForUpdate(m_path, bytes, exists); read.status != HistoryStatus::Ok) {
        return read;
    }
    if (!exists) {
        return Written(ReplaceFileAtomically(m_path, "", *m_writer), bytes);
    }
    return Written({}, bytes);
}

}  // namespace pelmio
