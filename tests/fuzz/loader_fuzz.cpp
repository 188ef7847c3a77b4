// Any bytes as a phrase file and a word file: the table keeps its
// invariants and holds exactly the lines a plain reading gives.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dict/entry_table.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/test_support.h"

namespace {

// One line per CR LF, lone CR or lone LF; a last line without a line end
// counts; NUL bytes dropped.
void ReferenceLines(std::string_view bytes, std::vector<std::string>& lines) {
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char byte = bytes[i];
        if (byte == '\r' || byte == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            open = true;
            if (byte != '\0') {
                line.push_back(byte);
            }
        }
    }
    if (open) {
        lines.push_back(line);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte says where the phrase file ends and the word file begins.
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = rest.size() * data[0] / 255;
    const std::string_view phrases = rest.substr(0, split);
    const std::string_view words = rest.substr(split);

    pelmio::EntryTable table;
    const bool phrasesWhole = table.appendFileContents(phrases);
    const bool wordsWhole = table.appendFileContents(words);

    std::vector<std::string> expected;
    ReferenceLines(phrases, expected);
    ReferenceLines(words, expected);
    const bool fits = expected.size() <= pelmio::EntryTable::kCapacity;
    FUZZ_CHECK((phrasesWhole && wordsWhole) == fits);
    if (!fits) {
        expected.resize(pelmio::EntryTable::kCapacity);
    }
    FUZZ_CHECK(table.count() >= 0);
    FUZZ_CHECK(static_cast<std::size_t>(table.count()) == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string_view line = table.lineView(i);
        FUZZ_CHECK(line == expected[i]);
        FUZZ_CHECK(table.line(i)[line.size()] == '\0');
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
        FUZZ_CHECK(pelmio::testing::LineAt(table, table.lineStart(i)) == i);
        FUZZ_CHECK(pelmio::testing::LineAt(table, table.lineEnd(i)) == i);
    }
    return 0;
}
