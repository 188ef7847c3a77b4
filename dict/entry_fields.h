#pragma once

#include <string_view>

namespace pelmio {

// The longest part of a line the detail view reads, in bytes.
inline constexpr std::size_t kMaxDetailLineBytes = 999;

// The fields of a dictionary line: headword, meaning, base form and
// pronunciation code, separated by commas with no quoting. Fields after the
// fourth are ignored; missing ones are empty.
struct EntryFields {
    std::string_view headword;
    std::string_view meaning;
    std::string_view baseForm;
    std::string_view pronunciation;
};

// Splits a line after cutting it to kMaxDetailLineBytes at a character
// boundary. The views point into line.
EntryFields SplitEntryFields(std::string_view line);

// The line up to the comma before its pronunciation code: the headword,
// meaning and base form with their commas. The whole line when it has no
// pronunciation field; fields after the code go with it.
std::string_view BeforePronunciation(std::string_view line);

}  // namespace pelmio
