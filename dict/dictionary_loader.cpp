#include "dict/dictionary_loader.h"

#include <algorithm>

#include "base/file_access.h"

namespace pelmio {

LoadResult LoadDictionaryFile(EntryTable& table, const std::filesystem::path& path) {
    InputFile file(path);
    if (file.status() != FileStatus::Ok) {
        return {LoadStatus::CannotOpen, path.string() + ": " + file.message()};
    }
    if (file.size() > kMaxDictionaryFileBytes) {
        return {LoadStatus::CannotOpen, path.string() + ": larger than a dictionary can be"};
    }
    // Each line ends in at most two bytes: once the bytes read hold more
    // than twice as many line-end bytes as lines still fit, the lines that
    // fit have all been read, and at least one more.
    const std::size_t room = EntryTable::kCapacity - static_cast<std::size_t>(table.count());
    const std::size_t enough = 2 * (room + 1);
    constexpr std::size_t kChunk = 1 << 20;
    std::string bytes;
    // Room for a real dictionary at once; more only as it is read.
    bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), 64 << 20)) +
                  kChunk);
    std::size_t lineEnds = 0;
    while (lineEnds < enough && bytes.size() <= kMaxDictionaryFileBytes) {
        const std::size_t used = bytes.size();
        bytes.resize(used + kChunk);
        const std::ptrdiff_t got = file.read(bytes.data() + used, kChunk);
        if (got < 0) {
            return {LoadStatus::CannotOpen, path.string() + ": " + file.message()};
        }
        bytes.resize(used + static_cast<std::size_t>(got));
        if (got == 0) {
            break;
        }
        const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(used);
        lineEnds += static_cast<std::size_t>(std::count(begin, bytes.end(), '\n') +
                                             std::count(begin, bytes.end(), '\r'));
    }
    if (bytes.size() > kMaxDictionaryFileBytes) {
        return {LoadStatus::CannotOpen, path.string() + ": grew larger than a dictionary can be"};
    }
    if (!table.appendFileContents(bytes)) {
        return {LoadStatus::Truncated, path.string() + ": more lines than the table holds"};
    }
    return {};
}

}  // namespace pelmio
