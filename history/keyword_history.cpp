#include "history/keyword_history.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/cp932.h"
#include "base/folder_lock.h"

namespace pelmio {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kChunkBytes = 64 * 1024;

HistoryResult Failed(HistoryStatus status, std::string message) {
    HistoryResult result;
    result.status = status;
    result.message = std::move(message);
    return result;
}

HistoryResult Written(const WriteResult& write, std::vector<std::string> list) {
    HistoryResult result;
    switch (write.status) {
        case FileStatus::Ok:
            result.list = std::move(list);
            break;
        case FileStatus::ReadOnly:
        case FileStatus::CannotOpen:
            result.status = HistoryStatus::CannotOpen;
            break;
        case FileStatus::NoSpace:
            result.status = HistoryStatus::DiskFull;
            break;
        case FileStatus::Busy:
            result.status = HistoryStatus::Busy;
            break;
        case FileStatus::ForeignLink:
            result.status = HistoryStatus::ForeignLink;
            break;
        case FileStatus::ReadError:
        case FileStatus::WriteError:
            result.status = HistoryStatus::WriteError;
            break;
    }
    result.message = write.message;
    return result;
}

// Reads the list from an open file, no further than it needs and never
// past limit bytes.
HistoryResult ReadList(InputFile& file, std::uint64_t limit) {
    HistoryListReader reader;
    std::vector<char> buffer(kChunkBytes);
    for (std::uint64_t read = 0; read < limit && !reader.done();) {
        const std::ptrdiff_t got =
            file.read(buffer.data(),
                      static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, limit - read)));
        if (got < 0) {
            return Failed(HistoryStatus::CannotOpen, file.message());
        }
        if (got == 0) {
            break;
        }
        reader.feed({buffer.data(), static_cast<std::size_t>(got)});
        read += static_cast<std::uint64_t>(got);
    }
    HistoryResult result;
    result.list = reader.take();
    return result;
}

}  // namespace

bool HistoryListReader::feed(std::string_view bytes) {
    // A line is cut at a character boundary, which needs the byte after the
    // cut; one more keeps the CR of a line exactly that long.
    constexpr std::size_t kKeep = kMaxHistoryKeywordBytes + 2;
    std::size_t pos = 0;
    while (!m_done && pos < bytes.size()) {
        const void* found = std::memchr(bytes.data() + pos, '\n', bytes.size() - pos);
        const std::size_t end =
            found != nullptr
                ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data())
                : bytes.size();
        const std::string_view part = bytes.substr(pos, end - pos);
        if (m_line.size() < kKeep) {
            m_line.append(part.substr(0, kKeep - m_line.size()));
        }
        m_lineLength += part.size();
        if (!part.empty()) {
            m_lastCr = part.back() == '\r';
        }
        if (found == nullptr) {
            break;
        }
        if (m_lastCr) {
            endLine();
        } else {
            // Only CR LF ends a line: a lone LF is part of it.
            if (m_line.size() < kKeep) {
                m_line.push_back('\n');
            }
            ++m_lineLength;
        }
        pos = end + 1;
    }
    return !m_done;
}

void HistoryListReader::endLine() {
    const std::uint64_t length = m_lineLength - 1;  // without its CR
    const std::string_view line = cp932::CutAtCharBoundary(
        std::string_view(m_line).substr(
            0, static_cast<std::size_t>(std::min<std::uint64_t>(length, m_line.size()))),
        kMaxHistoryKeywordBytes);
    // The last line appended is the list's last: adjacent repeats show once.
    if (m_list.empty() || m_list.back() != line) {
        if (line.empty() || m_list.size() == kHistoryListSize) {
            m_done = true;
        } else {
            m_list.emplace_back(line);
        }
    }
    m_line.clear();
    m_lineLength = 0;
    m_lastCr = false;
}

std::vector<std::string> HistoryListFromBytes(std::string_view fileBytes) {
    HistoryListReader reader;
    reader.feed(fileBytes);
    return reader.take();
}

std::string_view StoredKeyword(std::string_view keyword) {
    keyword = keyword.substr(0, keyword.find_first_of(std::string_view("\0\r\n", 3)));
    return cp932::CutAtCharBoundary(keyword, kMaxHistoryKeywordBytes);
}

HistoryFile::HistoryFile(fs::path path, FileWriter& writer, std::uint64_t maxBytes)
    : m_path(std::move(path)), m_writer(&writer), m_maxBytes(maxBytes) {}

HistoryResult HistoryFile::save(std::string_view keyword,
                                std::chrono::milliseconds lockWait) const {
    const FolderLock lock(ResolveLinks(m_path).parent_path(), lockWait);
    if (!lock.mayWrite()) {
        return Failed(HistoryStatus::Busy, "another program holds the folder's lock");
    }
    HistoryResult result = saveHoldingLock(keyword);
    result.withoutLock = lock.state() == LockState::Unavailable;
    return result;
}

HistoryResult HistoryFile::saveHoldingLock(std::string_view keyword) const {
    if (IsProtectedTarget(m_path)) {
        return Failed(HistoryStatus::CannotOpen, "read-only or not a file");
    }
    keyword = StoredKeyword(keyword);
    std::error_code error;
    // Through a link to a missing file, the file is missing (and will be made).
    if (!fs::exists(m_path, error)) {
        HistoryListReader reader;
        const WriteResult written = ReplaceFile(
            m_path,
            [&](OutputFile& out) {
                if (keyword.empty()) {
                    return true;
                }
                reader.feed(keyword);
                reader.feed(kLineEnd);
                return out.write(keyword) && out.write(kLineEnd);
            },
            *m_writer);
        return Written(written, reader.take());
    }
    InputFile old(m_path);
    if (old.status() != FileStatus::Ok) {
        return Failed(HistoryStatus::CannotOpen, old.message());
    }
    if (keyword.empty()) {
        // Nothing to add: the file stays as it is.
        return ReadList(old, m_maxBytes);
    }
    HistoryListReader reader;
    std::string readFailure;
    const WriteResult written = ReplaceFile(
        m_path,
        [&](OutputFile& out) {
            reader.feed(keyword);
            reader.feed(kLineEnd);
            if (!out.write(keyword) || !out.write(kLineEnd)) {
                return false;
            }
            const std::uint64_t head = out.size();
            const std::uint64_t room = m_maxBytes > head ? m_maxBytes - head : 0;
            std::uint64_t copied = 0;
            std::uint64_t lastLineEnd = 0;  // just after the last CR LF copied
            bool previousCr = false;
            std::vector<char> buffer(kChunkBytes);
            for (;;) {
                const std::ptrdiff_t got = old.read(buffer.data(), buffer.size());
                if (got < 0) {
                    readFailure = "reading the old file failed: " + old.message();
                    return false;
                }
                if (got == 0) {
                    return true;
                }
                std::string_view chunk(buffer.data(), static_cast<std::size_t>(got));
                const bool over = copied + chunk.size() > room;
                chunk = chunk.substr(0, static_cast<std::size_t>(room - copied));
                for (std::size_t at = chunk.find('\n'); at != std::string_view::npos;
                     at = chunk.find('\n', at + 1)) {
                    if (at > 0 ? chunk[at - 1] == '\r' : previousCr) {
                        lastLineEnd = copied + at + 1;
                    }
                }
                if (!chunk.empty()) {
                    previousCr = chunk.back() == '\r';
                }
                if (!out.write(chunk)) {
                    return false;
                }
                if (!reader.done()) {
                    reader.feed(chunk);
                }
                copied += chunk.size();
                if (over) {
                    // Keep the newest lines that fit, each whole.
                    return out.truncate(head + lastLineEnd);
                }
            }
        },
        *m_writer);
    if (!readFailure.empty()) {
        return Failed(HistoryStatus::WriteError, readFailure);
    }
    return Written(written, reader.take());
}

HistoryResult HistoryFile::load() const {
    if (IsProtectedTarget(m_path)) {
        return Failed(HistoryStatus::CannotOpen, "read-only or not a file");
    }
    const auto readList = [this] {
        InputFile file(m_path);
        if (file.status() != FileStatus::Ok) {
            return Failed(HistoryStatus::CannotOpen, file.message());
        }
        return ReadList(file, m_maxBytes);
    };
    std::error_code error;
    if (fs::exists(m_path, error)) {
        // Files are replaced whole by a rename, so reading needs no lock.
        return readList();
    }
    // Creating the file is a write: only under the lock. While another
    // program holds it, the list is empty; that program makes the file.
    const FolderLock lock(ResolveLinks(m_path).parent_path());
    if (!lock.mayWrite()) {
        return {};
    }
    if (fs::exists(m_path, error)) {
        return readList();  // made while we waited
    }
    return Written(ReplaceFileAtomically(m_path, "", *m_writer), {});
}

}  // namespace pelmio
