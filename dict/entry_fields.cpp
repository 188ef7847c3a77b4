#include "dict/entry_fields.h"

#include "base/bytes.h"
#include "base/cp932.h"

namespace pelmio {

EntryFields SplitEntryFields(std::string_view line) {
    const auto pieces = SplitAtByte(cp932::CutAtCharBoundary(line, kMaxDetailLineBytes), ',');
    const auto field = [&pieces](std::size_t k) {
        return k < pieces.size() ? pieces[k] : std::string_view();
    };
    return {field(0), field(1), field(2), field(3)};
}

std::string_view BeforePronunciation(std::string_view line) {
    std::size_t comma = std::string_view::npos;
    for (int field = 0; field < 3; ++field) {
        comma = line.find(',', comma + 1);
        if (comma == std::string_view::npos) {
            return line;
        }
    }
    return line.substr(0, comma);
}

}  // namespace pelmio
