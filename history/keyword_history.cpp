#include "history/keyword_history.h"

#include "base/cp932.h"
#include "base/folder_lock.h"

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
    // Through a link to a missing file, the file is missing (and will be made).
    exists = std::filesystem::exists(path, error);
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

HistoryResult Written(const WriteResult& write, std::vector<std::string> list) {
    HistoryResult result;
    if (write.status == FileStatus::ReadOnly || write.status == FileStatus::CannotOpen) {
        result.status = HistoryStatus::CannotOpen;
    } else if (write.status != FileStatus::Ok) {
        result.status = HistoryStatus::WriteError;
    }
    result.message = write.message;
    if (result.status == HistoryStatus::Ok) {
        result.list = std::move(list);
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

std::vector<std::string> HistoryListAfterSave(std::string_view keyword, std::string_view oldBytes) {
    std::vector<std::string> oldList = HistoryListFromBytes(oldBytes);
    // A repeat of the newest line shows once.
    if (!oldList.empty() && oldList.front() == keyword) {
        return oldList;
    }
    std::vector<std::string> list{std::string(keyword)};
    for (std::string& line : oldList) {
        if (list.size() == kHistoryListSize) {
            break;
        }
        list.push_back(std::move(line));
    }
    return list;
}

HistoryFile::HistoryFile(std::filesystem::path path, FileWriter& writer)
    : m_path(std::move(path)), m_writer(&writer) {}

HistoryResult HistoryFile::save(std::string_view keyword) const {
    const FolderLock lock(ResolveLinks(m_path).parent_path());
    std::string bytes;
    bool exists = false;
    if (HistoryResult read = ReadForUpdate(m_path, bytes, exists);
        read.status != HistoryStatus::Ok) {
        return read;
    }
    keyword = StoredKeyword(keyword);
    if (keyword.empty()) {
        // Nothing to add: the file stays as it is, or starts empty.
        return Written(exists ? WriteResult{} : ReplaceFileAtomically(m_path, "", *m_writer),
                       HistoryListFromBytes(bytes));
    }
    return Written(ReplaceFileAtomically(m_path, {keyword, kLineEnd, bytes}, *m_writer),
                   HistoryListAfterSave(keyword, bytes));
}

HistoryResult HistoryFile::load() const {
    const FolderLock lock(ResolveLinks(m_path).parent_path());
    std::string bytes;
    bool exists = false;
    if (HistoryResult read = ReadForUpdate(m_path, bytes, exists);
        read.status != HistoryStatus::Ok) {
        return read;
    }
    if (!exists) {
        return Written(ReplaceFileAtomically(m_path, "", *m_writer), {});
    }
    return Written({}, HistoryListFromBytes(bytes));
}

}  // namespace pelmio
