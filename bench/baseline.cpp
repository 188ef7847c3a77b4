#include "bench/baseline.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/cp932.h"
#include "tests/support/reference_matcher.h"
#include "tests/support/test_support.h"

namespace pelmio::bench {

BaselineTable::~BaselineTable() {
    for (char* line : m_lines) {
        std::free(line);
    }
}

void BaselineTable::load(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return;
    }
    std::fseek(file, 0, SEEK_END);
    const long length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    char* buffer = static_cast<char*>(std::malloc(static_cast<std::size_t>(length)));
    const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(length), file);
    std::fclose(file);
    char* pos = buffer;
    char* const end = buffer + got;
    while (pos < end) {
        char* cr = static_cast<char*>(std::memchr(pos, '\r', static_cast<std::size_t>(end - pos)));
        if (cr == nullptr) {
            break;
        }
        const auto length = static_cast<std::size_t>(cr - pos);
        char* line = static_cast<char*>(std::malloc(length + 1));
        std::memcpy(line, pos, length);
        line[length] = '\0';
        m_lines.push_back(line);
        pos = cr + 2;
    }
    std::free(buffer);
}

std::size_t BaselineTable::memoryUsed() const {
    // Each block rounded up as malloc does, plus its header, plus the slots.
    std::size_t total = 100'000 * sizeof(char*);
    for (const char* line : m_lines) {
        total += ((std::strlen(line) + 1 + 8 + 15) / 16) * 16;
    }
    return total;
}

void BaselineScan(const std::vector<char*>& lines, const std::vector<std::string>& tokens,
                  std::vector<std::uint32_t>& out) {
    for (std::size_t j = 0; j < lines.size(); ++j) {
        const char* pos = lines[j];
        bool all = true;
        for (const std::string& token : tokens) {
            const char* found = testing::FindSubstring(pos, token.c_str());
            if (found == nullptr) {
                all = false;
                break;
            }
            pos = found + token.size();
        }
        if (all) {
            out.push_back(static_cast<std::uint32_t>(j));
        }
    }
}

namespace {

// Whether charStart, moved forwards from a character start, lands on pos.
bool BeginsCharacter(std::string_view line, std::size_t& charStart, std::size_t pos) {
    while (charStart < pos) {
        charStart += cp932::CharLength(line, charStart);
    }
    return charStart == pos;
}

// Byte by byte, as a plain loop would: character starts are found only for
// the hits, never walked for every byte.
bool PlainMatches(std::string_view line, const std::vector<std::string>& tokens) {
    std::size_t from = 0;
    std::size_t charStart = 0;
    for (const std::string& token : tokens) {
        bool found = token.empty();
        for (std::size_t pos = from; !found && pos + token.size() <= line.size(); ++pos) {
            if (line[pos] == token[0] &&
                std::memcmp(line.data() + pos, token.data(), token.size()) == 0 &&
                BeginsCharacter(line, charStart, pos)) {
                from = pos + token.size();
                found = true;
            }
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

}  // namespace

void PlainScan(const EntryTable& table, const std::vector<std::string>& tokens,
               std::vector<std::uint32_t>& out) {
    const auto count = static_cast<std::uint32_t>(table.count());
    for (std::uint32_t j = 0; j < count; ++j) {
        if (PlainMatches(table.lineView(j), tokens)) {
            out.push_back(j);
        }
    }
}

namespace {

bool MemmemMatches(std::string_view line, const std::vector<std::string>& tokens) {
    std::size_t from = 0;
    std::size_t charStart = 0;  // only moves forwards: hits come in order
    for (const std::string& token : tokens) {
        for (;;) {
            const void* hit = token.empty() ? line.data() + from
                                            : ::memmem(line.data() + from, line.size() - from,
                                                       token.data(), token.size());
            if (hit == nullptr) {
                return false;
            }
            const auto pos = static_cast<std::size_t>(static_cast<const char*>(hit) - line.data());
            if (BeginsCharacter(line, charStart, pos)) {
                from = pos + token.size();
                break;
            }
            from = pos + 1;
        }
    }
    return true;
}

}  // namespace

void MemmemScan(const EntryTable& table, const std::vector<std::string>& tokens,
                std::vector<std::uint32_t>& out) {
    const auto count = static_cast<std::uint32_t>(table.count());
    for (std::uint32_t j = 0; j < count; ++j) {
        if (MemmemMatches(table.lineView(j), tokens)) {
            out.push_back(j);
        }
    }
}

void WholeTableMemmemScan(const EntryTable& table, const std::vector<std::string>& tokens,
                          std::vector<std::uint32_t>& out) {
    if (tokens.empty() || tokens.front().empty()) {
        return MemmemScan(table, tokens, out);
    }
    const std::string_view text = table.text();
    const std::string& first = tokens.front();
    std::size_t from = 0;
    while (from < text.size()) {
        const void* hit =
            ::memmem(text.data() + from, text.size() - from, first.data(), first.size());
        if (hit == nullptr) {
            return;
        }
        const std::size_t line = testing::LineAt(
            table, static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()));
        if (MemmemMatches(table.lineView(line), tokens)) {
            out.push_back(static_cast<std::uint32_t>(line));
        }
        // The line is decided: go on after it.
        from = table.lineEnd(line) + 1;
    }
}

}  // namespace pelmio::bench

namespace pelmio::bench {

void BaselineSaveHistory(const char* path, const std::string& keyword) {
    std::FILE* file = std::fopen(path, "r+b");
    if (file == nullptr) {
        return;
    }
    std::fseek(file, 0, SEEK_END);
    const long length = std::ftell(file);
    std::string old(static_cast<std::size_t>(length), '\0');
    std::fseek(file, 0, SEEK_SET);
    const std::size_t got = std::fread(old.data(), 1, old.size(), file);
    std::fseek(file, 0, SEEK_SET);
    std::fwrite(keyword.data(), 1, keyword.size(), file);
    std::fwrite("\r\n", 1, 2, file);
    std::fwrite(old.data(), 1, got, file);
    std::fclose(file);
}

std::vector<std::string> BaselineLoadHistory(const char* path) {
    std::vector<std::string> list;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return list;
    }
    std::fseek(file, 0, SEEK_END);
    std::string bytes(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::fseek(file, 0, SEEK_SET);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    std::string last;
    for (std::size_t start = 0;;) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            break;
        }
        std::string line = bytes.substr(start, end - start);
        start = end + 2;
        if (!list.empty() && line == last) {
            continue;
        }
        if (line.empty()) {
            break;
        }
        if (list.size() < 8) {
            list.push_back(line);
        }
        last = std::move(line);
    }
    return list;
}

}  // namespace pelmio::bench
