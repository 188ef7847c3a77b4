#include "dict/dictionary_loader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/file_access.h"
#include "dict/large_block_allocator.h"

namespace pelmio {

namespace {

// The bytes of a file as they are read, in memory that is never zeroed
// first and comes in huge pages where the system has them: each read fills
// what it uses, and a fault for every small page of a large file costs
// more than reading it.
class ReadBuffer {
public:
    explicit ReadBuffer(std::size_t capacity)
        : m_data(static_cast<char*>(AllocateLargeBlock(capacity))), m_capacity(capacity) {}
    ~ReadBuffer() { FreeLargeBlock(m_data, m_capacity); }
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;

    // Room for `more` bytes after those read so far.
    char* room(std::size_t more) {
        if (m_capacity - m_size < more) {
            const std::size_t capacity = std::max(m_size + more, 2 * m_capacity);
            char* const data = static_cast<char*>(AllocateLargeBlock(capacity));
            std::memcpy(data, m_data, m_size);
            FreeLargeBlock(m_data, m_capacity);
            m_data = data;
            m_capacity = capacity;
        }
        return m_data + m_size;
    }
    void add(std::size_t count) { m_size += count; }

    std::size_t size() const { return m_size; }
    std::string_view view() const { return {m_data, m_size}; }

private:
    char* m_data;
    std::size_t m_capacity;
    std::size_t m_size = 0;
};

// How many times byte occurs in [begin, end). memchr jumps over the bytes
// between two hits many at a time; a plain loop looks at each one, and
// counting a large file's line ends that way cost more than the rest of
// loading it.
std::size_t CountByte(const char* begin, const char* end, char byte) {
    std::size_t count = 0;
    while (begin != end) {
        const void* hit = std::memchr(begin, byte, static_cast<std::size_t>(end - begin));
        if (hit == nullptr) {
            break;
        }
        ++count;
        begin = static_cast<const char*>(hit) + 1;
    }
    return count;
}

}  // namespace

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
    // Room for a real dictionary at once; more only as it is read. Whole
    // huge pages, so that a small file gets one too.
    const std::size_t expected =
        static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), 64 << 20)) + kChunk;
    ReadBuffer bytes((expected + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes);
    std::size_t lineEnds = 0;
    while (lineEnds < enough && bytes.size() <= kMaxDictionaryFileBytes) {
        char* const at = bytes.room(kChunk);
        const std::ptrdiff_t got = file.read(at, kChunk);
        if (got < 0) {
            return {LoadStatus::CannotOpen, path.string() + ": " + file.message()};
        }
        if (got == 0) {
            break;
        }
        bytes.add(static_cast<std::size_t>(got));
        lineEnds += CountByte(at, at + got, '\n') + CountByte(at, at + got, '\r');
    }
    if (bytes.size() > kMaxDictionaryFileBytes) {
        return {LoadStatus::CannotOpen, path.string() + ": grew larger than a dictionary can be"};
    }
    if (!table.appendFileContents(bytes.view())) {
        return {LoadStatus::Truncated, path.string() + ": more lines than the table holds"};
    }
    return {};
}

}  // namespace pelmio
