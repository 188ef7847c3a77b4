// Any line: the fields are the line's first four comma-separated pieces,
// after a cut to 999 bytes that never splits a character.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/cp932.h"
#include "dict/entry_fields.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const pelmio::EntryFields fields = pelmio::SplitEntryFields(line);
    const std::string_view cut =
        pelmio::cp932::CutAtCharBoundary(line, pelmio::kMaxDetailLineBytes);
    FUZZ_CHECK(cut.size() <= pelmio::kMaxDetailLineBytes);
    FUZZ_CHECK(cut.size() == line.size() || cut.size() + 2 > pelmio::kMaxDetailLineBytes);

    std::string joined;
    int present = 0;
    for (const std::string_view field :
         {fields.headword, fields.meaning, fields.baseForm, fields.pronunciation}) {
        FUZZ_CHECK(field.find(',') == std::string_view::npos);
        if (present > 0) {
            joined += ',';
        }
        joined += field;
        ++present;
    }
    // The four fields and their commas begin the cut line.
    std::size_t commas = 0;
    for (const char byte : cut) {
        commas += byte == ',';
    }
    if (commas >= 3) {
        FUZZ_CHECK(cut.substr(0, joined.size()) == joined);
        FUZZ_CHECK(cut.size() == joined.size() || cut[joined.size()] == ',');
    } else {
        FUZZ_CHECK(std::string(cut) + std::string(3 - commas, ',') == joined);
    }
    return 0;
}
